#include "platform/qt/QtFileDialog.h"

#include <QFileDialog>

namespace platform {

namespace {

QString QtPatterns(const QString& windowsPatterns) {
    QStringList patterns;
    for (QString p : windowsPatterns.split(u';', Qt::SkipEmptyParts)) {
        p = p.trimmed();
        if (p == u"*.*") p = QStringLiteral("*");
        if (!p.isEmpty()) patterns << p;
    }
    return patterns.join(u' ');
}

QString NameWithoutPatterns(QString name) {
    name = name.trimmed();
    int open = name.lastIndexOf(u'(');
    if (open > 0 && name.endsWith(u')')) name = name.left(open).trimmed();
    return name;
}

}  // namespace

QStringList WindowsFilterToQt(const std::string& filter) {
    QStringList parts = QString::fromStdString(filter).split(u'|');
    QStringList result;
    for (qsizetype i = 0; i < parts.size(); i += 2) {
        const QString name = parts[i].trimmed();
        const QString patterns = i + 1 < parts.size() ? QtPatterns(parts[i + 1]) : QString();
        if (name.isEmpty() && patterns.isEmpty()) break;  // the "||" that ends the list
        if (patterns.isEmpty()) {
            result << name;  // no pattern given: Qt reads the one in the name, if any
            continue;
        }
        QString shown = NameWithoutPatterns(name);
        result << (shown.isEmpty() ? patterns : shown + QStringLiteral(" (") + patterns + QLatin1Char(')'));
    }
    return result;
}

std::unique_ptr<QFileDialog> CreateQtFileDialog(const FileDialogRequest& request, QWidget* parent) {
    auto dialog = std::make_unique<QFileDialog>(parent);
    dialog->setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    if (request.save)
        dialog->setFileMode(QFileDialog::AnyFile);
    else
        dialog->setFileMode(request.fileMustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog->setOption(QFileDialog::DontConfirmOverwrite, !request.overwritePrompt);
    QStringList filters = WindowsFilterToQt(request.filter);
    if (!filters.isEmpty()) dialog->setNameFilters(filters);
    if (!request.defaultExtension.empty()) {
        QString suffix = QString::fromStdString(request.defaultExtension);
        while (suffix.startsWith(u'.')) suffix.remove(0, 1);
        dialog->setDefaultSuffix(suffix);
    }
    if (!request.initialName.empty()) dialog->selectFile(QString::fromStdString(request.initialName));
    return dialog;
}

std::optional<std::string> AnswerFromQtFileDialog(int result, const QStringList& chosen) {
    if (result != QDialog::Accepted || chosen.isEmpty()) return std::nullopt;
    return chosen.front().toStdString();
}

std::optional<std::string> QtFileDialog::Ask(const FileDialogRequest& request) {
    auto dialog = CreateQtFileDialog(request, parent_);
    int result = dialog->exec();
    return AnswerFromQtFileDialog(result, dialog->selectedFiles());
}

}  // namespace platform
