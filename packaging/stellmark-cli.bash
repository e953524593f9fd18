# Vervollständigung für stellmark-cli in der bash: Befehle, Optionen und die Kurznamen der
# Aktionen, die das Programm selbst nennt (stellmark-cli --aktionen).
_stellmark_cli()
{
    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]}
    local i command="" operands=0
    case $prev in
        --data-dir) COMPREPLY=($(compgen -d -- "$cur")); return ;;
        --start|--end) COMPREPLY=(); return ;;
    esac
    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "--help --version --data-dir --start --end --force --quiet
                                 --ausfuehrlich --json -h -f -q -v" -- "$cur"))
        return
    fi
    for ((i = 1; i < COMP_CWORD; i++)); do
        case ${COMP_WORDS[i]} in
            --data-dir|--start|--end) ((i++)) ;;
            -*) ;;
            *) if [ -z "$command" ]; then command=${COMP_WORDS[i]}; else ((operands++)); fi ;;
        esac
    done
    if [ -z "$command" ]; then
        COMPREPLY=($(compgen -W "info run cramfs" -- "$cur"))
    elif [ "$command" = run ] && [ "$operands" = 0 ]; then
        local names
        names=$("${COMP_WORDS[0]}" --aktionen 2>/dev/null | cut -f1)
        COMPREPLY=($(compgen -W "$names" -- "$cur"))
    else
        COMPREPLY=($(compgen -f -- "$cur"))
    fi
}
complete -o filenames -F _stellmark_cli stellmark-cli
