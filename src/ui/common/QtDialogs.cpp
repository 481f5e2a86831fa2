#include "QtDialogs.h"

#include <QColorDialog>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QMessageBox>
#include <QPushButton>
#include <QStandardPaths>
#include <QTreeView>

#include <algorithm>

namespace kalvetra {
namespace {

QWidget* ownerWidget(QObject* owner)
{
    return qobject_cast<QWidget*>(owner);
}

// "設定ファイル(*.ini)|*.ini" -> "設定ファイル(*.ini) (*.ini)", as Qt wants its name filters.
// The dialog hides the patterns Qt reads from the last parentheses, so each entry shows its
// description exactly as the program gives it.
QStringList nameFilters(const QString& filter)
{
    QStringList filters;
    for (const FilterEntry& e : parseFilter(filter))
        filters << e.description + QStringLiteral(" (") + e.patterns.split(u';', Qt::SkipEmptyParts).join(u' ') +
                       QStringLiteral(")");
    return filters;
}

// The extension a filter entry writes: that of its first pattern, when it names one ("*.png");
// none for "*.*" and the like.
QString extensionOf(const FilterEntry& entry)
{
    const QString first = entry.patterns.section(u';', 0, 0).trimmed();
    if (!first.startsWith(QStringLiteral("*.")))
        return {};
    const QString extension = first.mid(2);
    return extension.contains(u'*') || extension.contains(u'?') ? QString() : extension;
}

// Pictures and settings files live in different folders: each kind starts where it was left.
QString& lastFolderFor(const FileDialogRequest& request)
{
    static QString pictures;
    static QString settings;
    return request.defaultExtension.compare(QStringLiteral("ini"), Qt::CaseInsensitive) == 0 ? settings : pictures;
}

QString firstFolderFor(const FileDialogRequest& request)
{
    if (request.defaultExtension.compare(QStringLiteral("ini"), Qt::CaseInsensitive) != 0) {
        const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
        if (QFileInfo(pictures).isDir())
            return pictures;
    }
    return QDir::homePath();
}

// The details view's name column takes what the others leave: size, type and date are shown
// whole, whatever the folder holds.
void giveDetailColumnsRoom(QFileDialog& dialog)
{
    auto* view = dialog.findChild<QTreeView*>(QStringLiteral("treeView"));
    if (!view)
        return;
    QHeaderView* header = view->header();
    header->setStretchLastSection(false);
    header->setSectionResizeMode(0, QHeaderView::Stretch);
    for (int column = 1; column < header->count(); ++column)
        header->setSectionResizeMode(column, QHeaderView::ResizeToContents);
    dialog.resize(std::max(dialog.width(), 760), std::max(dialog.height(), 460));
}

FileDialogResult runFileDialog(QObject* owner, const FileDialogRequest& request, QFileDialog::AcceptMode mode)
{
    FileDialogResult result;
    // As Windows' dialog does, a proposal that cannot name a file fails before anything shows.
    if (!canBeFileName(request.fileName)) {
        result.outcome = DialogOutcome::Failed;
        result.errorNumber = InvalidFileNameErrorNumber;
        result.errorDescription = QStringLiteral("ファイル名が正しくありません。");
        return result;
    }
    // Qt's own dialog everywhere: the same behaviour on every desktop, and tests can drive it.
    QFileDialog dialog(ownerWidget(owner));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    const QStringList filters = nameFilters(request.filter);
    const QList<FilterEntry> entries = parseFilter(request.filter);
    dialog.setNameFilters(filters);
    // A name without an extension gets that of the type chosen when the dialog closed, as
    // desktop save dialogs do; the program's own default stands for an entry of every type.
    // (Qt's default suffix would be fixed before the type is chosen.)
    const auto extensionChosen = [&](const QString& filter) {
        // Qt names the chosen filter with or without its patterns, as the dialog shows it.
        qsizetype i = filters.indexOf(filter);
        for (qsizetype k = 0; i < 0 && k < entries.size(); ++k)
            if (entries[k].description == filter)
                i = k;
        const QString extension =
            mode == QFileDialog::AcceptSave && i >= 0 && i < entries.size() ? extensionOf(entries[i]) : QString();
        return extension.isEmpty() ? request.defaultExtension : extension;
    };
    if (mode == QFileDialog::AcceptOpen)
        dialog.setDefaultSuffix(request.defaultExtension);
    if (request.flags & 4)
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
    QString& lastFolder = lastFolderFor(request);
    dialog.setDirectory(lastFolder.isEmpty() ? firstFolderFor(request) : lastFolder);
    giveDetailColumnsRoom(dialog);
    if (!request.fileName.isEmpty())
        dialog.selectFile(request.fileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        result.outcome = DialogOutcome::Cancelled;
        result.errorNumber = CancelErrorNumber;
        return result;
    }
    const QString path =
        withDefaultExtension(dialog.selectedFiles().first(), extensionChosen(dialog.selectedNameFilter()));
    if (path.size() > request.maxFileNameLength) {
        result.outcome = DialogOutcome::Failed;
        result.errorNumber = BufferTooSmallErrorNumber;
        result.errorDescription = QStringLiteral("ファイル名が長すぎます (%1 文字まで)。").arg(request.maxFileNameLength);
        return result;
    }
    lastFolder = QFileInfo(path).absolutePath();
    result.outcome = DialogOutcome::Chosen;
    result.path = path;
    return result;
}

}  // namespace

FileDialogResult QtDialogs::openFile(QObject* owner, const FileDialogRequest& request)
{
    return runFileDialog(owner, request, QFileDialog::AcceptOpen);
}

FileDialogResult QtDialogs::saveFile(QObject* owner, const FileDialogRequest& request)
{
    return runFileDialog(owner, request, QFileDialog::AcceptSave);
}

ColorDialogResult QtDialogs::chooseColor(QObject* owner, std::uint32_t initialColor)
{
    const QColor initial(static_cast<int>(initialColor & 0xFF), static_cast<int>(initialColor >> 8 & 0xFF),
                         static_cast<int>(initialColor >> 16 & 0xFF));
    QColorDialog dialog(initial, ownerWidget(owner));
    dialog.setOption(QColorDialog::DontUseNativeDialog);
    ColorDialogResult result;
    if (dialog.exec() != QDialog::Accepted) {
        result.errorNumber = CancelErrorNumber;
        return result;
    }
    const QColor c = dialog.selectedColor();
    result.outcome = DialogOutcome::Chosen;
    result.color = static_cast<std::uint32_t>(c.red()) | static_cast<std::uint32_t>(c.green()) << 8 |
                   static_cast<std::uint32_t>(c.blue()) << 16;
    return result;
}

MessageAnswer QtDialogs::message(QObject* owner, const QString& text, const QString& title, MessageIcon icon,
                                 MessageButtons buttons)
{
    QMessageBox box(ownerWidget(owner));
    box.setWindowTitle(title);
    box.setText(text);
    switch (icon) {
    case MessageIcon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case MessageIcon::Exclamation:
        box.setIcon(QMessageBox::Warning);
        break;
    case MessageIcon::Stop:
        box.setIcon(QMessageBox::Critical);
        break;
    case MessageIcon::Question:
        box.setIcon(QMessageBox::Question);
        break;
    case MessageIcon::None:
        break;
    }
    if (buttons == MessageButtons::YesNoCancel) {
        QPushButton* yes = box.addButton(QStringLiteral("はい(&Y)"), QMessageBox::YesRole);
        QPushButton* no = box.addButton(QStringLiteral("いいえ(&N)"), QMessageBox::NoRole);
        QPushButton* cancel = box.addButton(QStringLiteral("キャンセル"), QMessageBox::RejectRole);
        box.setDefaultButton(yes);
        box.setEscapeButton(cancel);
        box.exec();
        if (box.clickedButton() == yes)
            return MessageAnswer::Yes;
        if (box.clickedButton() == no)
            return MessageAnswer::No;
        return MessageAnswer::Cancel;
    }
    box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    box.exec();
    return MessageAnswer::Ok;
}

}  // namespace kalvetra
