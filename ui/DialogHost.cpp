#include "ui/DialogHost.h"

#include <QDialog>
#include <QFileDialog>

#include "ui/QtText.h"

namespace tarnwerk {

int QtDialogHost::Exec(QDialog& dialog) { return dialog.exec(); }

QString QtDialogHost::OpenFile(QWidget* parent, const QString& title, const QStringList& filters,
                               bool mustExist) {
    QFileDialog dialog(parent, title);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    // The data dialog also names output files, so a new name may be typed there.
    dialog.setFileMode(mustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::ReadOnly, false);
    dialog.setNameFilters(filters);
    if (!filters.isEmpty()) dialog.selectNameFilter(filters.first());
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
