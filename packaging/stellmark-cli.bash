# Vervollständigung für stellmark-cli in der bash: Befehle, die Optionen jedes Befehls, Werte
# (auch als --option=wert), die Kurznamen der Aktionen und Dateinamen, auch mit Leerzeichen.
# Aus der Befehlstabelle des Programms erzeugt; ein Test vergleicht beide.
_stellmark_cli_reply()
{
    mapfile -t COMPREPLY < <(compgen "$@" -- "$cur")
    COMPREPLY=("${COMPREPLY[@]/#/$prefix}")
}

_stellmark_cli()
{
    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]}
    local i word words option prefix="" command="" operands=0 ended=0
    # The option whose value is being completed: --opt WERT, --opt=WERT as one word, or
    # split at "=" by the shell.
    if [[ $cur == --*=* ]]; then
        option=${cur%%=*} prefix=${cur%%=*}= cur=${cur#*=}
    elif [[ $cur == = ]]; then
        option=$prev cur=""
    elif [[ $prev == = ]] && ((COMP_CWORD > 1)); then
        option=${COMP_WORDS[COMP_CWORD-2]}
    else
        option=$prev
    fi
    case $option in
        --data-dir) compopt -o filenames 2>/dev/null; _stellmark_cli_reply -d; return ;;
        --start) COMPREPLY=(); return ;;
        --end) COMPREPLY=(); return ;;
        --cramfs) compopt -o filenames 2>/dev/null; _stellmark_cli_reply -f; return ;;
    esac
    for ((i = 1; i < COMP_CWORD; i++)); do
        word=${COMP_WORDS[i]}
        case $ended:$word in
            0:--) ended=1 ;;
            0:--data-dir|0:--start|0:--end|0:--cramfs) [[ ${COMP_WORDS[i+1]} == = ]] && ((i++)); ((i++)) ;;
            0:-*) ;;
            *) if [ -z "$command" ]; then command=$word; else ((operands++)); fi ;;
        esac
    done
    if [[ $cur == -* ]] && ((!ended)); then
        case $command in
            info) words="--json" ;;
            run) words="--force --start --end --cramfs --quiet -f -q" ;;
            cramfs) words="--json" ;;
            inhalt) words="--json" ;;
            karte) words="--json" ;;
            *) words="--force --quiet --start --end --json --cramfs -f -q" ;;
        esac
        _stellmark_cli_reply -W "--data-dir --ausfuehrlich --help --version --aktionen -v -h $words"
        return
    fi
    case $command:$operands in
        :*) _stellmark_cli_reply -W "info run cramfs inhalt karte" ;;
        run:0) _stellmark_cli_reply -W "1x-ohne 2x-ohne 1x-mit 2x-mit 1x-block 2x-block bootloader bereich root root-einfuegen" ;;
        *) compopt -o filenames 2>/dev/null; _stellmark_cli_reply -f ;;
    esac
}
complete -F _stellmark_cli stellmark-cli
