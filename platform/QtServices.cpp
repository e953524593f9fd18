#include "platform/QtServices.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QIdentityProxyModel>
#include <QLocale>
#include <QMessageBox>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace stellmark::platform {

namespace {
QString Q(const std::string& s) { return QString::fromStdString(s); }

QWidget* Owner() { return QApplication::activeWindow(); }

// Refuses a chosen path whose folder does not exist, as the dialog's options require, and
// stays open for another choice.
class FileDialog final : public QFileDialog {
public:
    using QFileDialog::QFileDialog;

protected:
    void accept() override
    {
        const QStringList files = selectedFiles();
        if (!files.isEmpty()) {
            QFileInfo info(files.first());
            if (!info.isDir() && !info.absoluteDir().exists()) {
                QMessageBox::warning(
                    this, windowTitle(),
                    QStringLiteral("Der Ordner „%1“ existiert nicht.").arg(info.absolutePath()));
                return;
            }
        }
        QFileDialog::accept();
    }
};

// Qt's file model writes sizes and dates in the desktop's locale (English under C); the
// program speaks German whatever the desktop's locale is, so these two columns are written
// again in the program's own locale, German since LoadGermanTranslations.
class LocalisedFiles final : public QIdentityProxyModel {
public:
    using QIdentityProxyModel::QIdentityProxyModel;

    QVariant data(const QModelIndex& index, int role) const override
    {
        const QVariant shown = QIdentityProxyModel::data(index, role);
        auto* files = qobject_cast<QFileSystemModel*>(sourceModel());
        // Folders show no size; a file not yet examined shows what the model shows.
        if (role != Qt::DisplayRole || !files || shown.toString().isEmpty())
            return shown;
        const QModelIndex source = mapToSource(index);
        switch (index.column()) {
        case kSize: return QLocale().formattedDataSize(files->size(source));
        case kModified: return QLocale().toString(files->lastModified(source), QLocale::ShortFormat);
        default: return shown;
        }
    }

private:
    static constexpr int kSize = 1;  // the columns of QFileSystemModel
    static constexpr int kModified = 3;
};

std::optional<std::string> RunDialog(const FileDialogRequest& request, bool save)
{
    FileDialog dialog(Owner(), Q(request.title), Q(request.initialDir));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setProxyModel(new LocalisedFiles(&dialog));
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setOption(QFileDialog::ReadOnly, false);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    // No default suffix: the name is used exactly as chosen or typed.
    dialog.setDefaultSuffix(QString());
    const QStringList filters = QtNameFilters(request.filter);
    dialog.setNameFilters(filters);
    if (request.filterIndex >= 1 && request.filterIndex <= filters.size())
        dialog.selectNameFilter(filters.at(request.filterIndex - 1));
    if (!request.initialName.empty())
        dialog.selectFile(Q(request.initialName));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return QFileInfo(dialog.selectedFiles().first()).absoluteFilePath().toStdString();
}
}  // namespace

QStringList QtNameFilters(const std::string& filter)
{
    QStringList items = Q(filter).split(QLatin1Char('|'));
    QStringList result;
    for (qsizetype i = 0; i + 1 < items.size(); i += 2) {
        QStringList patterns = items.at(i + 1).split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (QString& p : patterns)
            if (p.trimmed() == QLatin1String("*.*"))
                p = QStringLiteral("*");
        // The dialog reads the patterns from the last parentheses and hides them from view.
        result << items.at(i) + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
    }
    return result;
}

QString DisplayText(const std::string& text)
{
    QString s = Q(text);
    s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return s;
}

Answer QtServices::MessageBox(const std::string& text, const std::string& title, Icon icon, Buttons buttons)
{
    QMessageBox box(Owner());
    box.setWindowTitle(title.empty() ? QStringLiteral("Stellmark") : Q(title));
    box.setTextFormat(Qt::PlainText);
    box.setText(DisplayText(text));
    switch (icon) {
    case Icon::None: box.setIcon(QMessageBox::NoIcon); break;
    case Icon::Information: box.setIcon(QMessageBox::Information); break;
    case Icon::Exclamation: box.setIcon(QMessageBox::Warning); break;
    case Icon::Critical: box.setIcon(QMessageBox::Critical); break;
    case Icon::Question: box.setIcon(QMessageBox::Question); break;
    }
    if (buttons == Buttons::YesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        return box.exec() == QMessageBox::Yes ? Answer::Yes : Answer::No;
    }
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
    return Answer::Ok;
}

std::optional<std::string> QtServices::OpenFile(const FileDialogRequest& request)
{
    return RunDialog(request, false);
}

std::optional<std::string> QtServices::SaveFile(const FileDialogRequest& request)
{
    return RunDialog(request, true);
}

bool QtServices::ShellOpen(const std::string& target, const std::string& workingDir)
{
    const QString t = Q(target);
    const QUrl url = t.startsWith(QLatin1Char('/')) ? QUrl::fromLocalFile(t) : QUrl::fromUserInput(t);
    // Qt's own way starts the desktop's program in the program's current folder. Where another
    // folder is asked for, the desktop's opener is started there itself; without one, Qt's way.
    if (!workingDir.empty()) {
        const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
        if (!opener.isEmpty())
            return QProcess::startDetached(
                opener, {url.isLocalFile() ? url.toLocalFile() : url.toString(QUrl::FullyEncoded)},
                Q(workingDir));
    }
    return QDesktopServices::openUrl(url);
}

void QtServices::SetClipboardText(const std::string& text)
{
    if (auto* clipboard = QGuiApplication::clipboard())
        clipboard->setText(Q(text));
}

void QtServices::Beep() { QApplication::beep(); }

}  // namespace stellmark::platform
