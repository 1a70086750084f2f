#include "ui/DialogHost.h"

#include <QDialog>
#include <QFileDialog>
#include <QFileInfo>

#include "ui/QtText.h"

namespace tarnwerk {

int QtDialogHost::Exec(QDialog& dialog) { return dialog.exec(); }

QString QtDialogHost::OpenFile(QWidget* parent, const QString& title, const QStringList& filters, bool mustExist,
                               const QString& folder) {
    QFileDialog dialog(parent, title, folder);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    // The hide's data file may also be typed as a new name, as the field allows.
    dialog.setFileMode(mustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::ReadOnly, false);
    dialog.setNameFilters(filters);
    if (!filters.isEmpty()) dialog.selectNameFilter(filters.first());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().first();
}

QString QtDialogHost::SaveFile(QWidget* parent, const QString& title, const QStringList& filters,
                               const QString& proposed) {
    const QFileInfo where(proposed);
    QFileDialog dialog(parent, title, where.absolutePath());
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    dialog.setNameFilters(filters);
    if (!filters.isEmpty()) dialog.selectNameFilter(filters.first());
    if (!where.suffix().isEmpty()) dialog.setDefaultSuffix(where.suffix());
    dialog.selectFile(where.fileName());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().first();
}

QStringList QtFilterList(const std::vector<FileFilter>& filter) {
    QStringList entries;
    for (const FileFilter& entry : filter) {
        QString description = ToQ(entry.description).trimmed();
        const qsizetype open = description.lastIndexOf(u'(');
        if (open > 0 && description.endsWith(u')')) description = description.left(open).trimmed();
        QString patterns = ToQ(entry.patterns);
        patterns.replace(u';', u' ');
        entries << QStringLiteral("%1 (%2)").arg(description, patterns.simplified());
    }
    return entries;
}

}  // namespace tarnwerk
