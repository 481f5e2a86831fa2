#include "StyleGalleryFrm.h"

#include "cli/StylePicture.h"
#include "settings/StyleFolder.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

namespace kalvetra {
namespace {

constexpr int PathRole = Qt::UserRole;

// The sample text of the preview, for an empty text.
const QString SampleText = QStringLiteral("あA");

QPixmap placeholder()
{
    QPixmap blank(StyleGalleryFrm::ThumbnailBox);
    blank.fill(Qt::transparent);
    return blank;
}

QDateTime modifiedTime(const QString& path)
{
    return QFileInfo(path).lastModified();
}

}  // namespace

StyleGalleryFrm::StyleGalleryFrm(Dialogs& dialogs, QWidget* parent) : QWidget(parent), m_dialogs(dialogs)
{
    setWindowTitle(QStringLiteral("スタイル一覧"));
    list = new QListWidget(this);
    list->setViewMode(QListView::IconMode);
    list->setIconSize(ThumbnailBox);
    list->setGridSize(ThumbnailBox + QSize(16, 36));
    list->setResizeMode(QListView::Adjust);
    list->setMovement(QListView::Static);
    list->setUniformItemSizes(true);
    list->setWordWrap(true);
    list->setSelectionMode(QAbstractItemView::SingleSelection);

    folderLabel = new QLabel(this);
    folderLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    folderButton = new QPushButton(QStringLiteral("フォルダを開く(&F)..."), this);
    nameBox = new QLineEdit(this);
    nameBox->setPlaceholderText(QStringLiteral("スタイルの名前"));
    saveButton = new QPushButton(QStringLiteral("現在の設定を保存(&S)"), this);
    deleteButton = new QPushButton(QStringLiteral("削除(&D)"), this);

    auto* top = new QHBoxLayout;
    top->addWidget(folderLabel, 1);
    top->addWidget(folderButton);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(nameBox, 1);
    bottom->addWidget(saveButton);
    bottom->addWidget(deleteButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(list, 1);
    layout->addLayout(bottom);
    resize(720, 460);

    chooseFolder = [this](const QString& from) {
        return QFileDialog::getExistingDirectory(this, QStringLiteral("スタイルのフォルダ"), from);
    };
    // One thumbnail per turn of the event loop: input and painting come between them.
    m_idle.setInterval(0);
    connect(&m_idle, &QTimer::timeout, this, &StyleGalleryFrm::drawNextThumbnail);
    connect(list, &QListWidget::itemClicked, this, &StyleGalleryFrm::styleClicked);
    connect(list, &QListWidget::itemDoubleClicked, this, &StyleGalleryFrm::styleDoubleClicked);
    connect(list, &QListWidget::currentItemChanged, this, [this](QListWidgetItem* item) {
        deleteButton->setEnabled(item != nullptr);
        if (item)
            nameBox->setText(item->text());
    });
    connect(folderButton, &QPushButton::clicked, this, &StyleGalleryFrm::openFolder);
    connect(saveButton, &QPushButton::clicked, this, &StyleGalleryFrm::saveStyle);
    connect(nameBox, &QLineEdit::returnPressed, this, &StyleGalleryFrm::saveStyle);
    connect(deleteButton, &QPushButton::clicked, this, &StyleGalleryFrm::deleteStyle);
    deleteButton->setEnabled(false);
}

QString StyleGalleryFrm::textToDraw() const
{
    const QString text = currentText ? currentText() : QString();
    return text.isEmpty() ? SampleText : text;
}

void StyleGalleryFrm::showFolder(const QString& folder)
{
    const QString current = list->currentItem() ? list->currentItem()->data(PathRole).toString() : QString();
    m_folder = folder;
    m_text = textToDraw();
    folderLabel->setText(QDir::toNativeSeparators(folder));
    list->clear();
    const QPixmap blank = placeholder();
    for (const QString& path : styleFiles(folder)) {
        auto* item = new QListWidgetItem(styleName(path), list);
        item->setData(PathRole, path);
        item->setToolTip(QDir::toNativeSeparators(path));
        const auto kept = m_thumbnails.constFind(path);
        const bool fresh = kept != m_thumbnails.cend() && kept->text == m_text && kept->modified == modifiedTime(path);
        item->setIcon(fresh ? QPixmap::fromImage(kept->image) : blank);
        if (!fresh)
            m_thumbnails.remove(path);
        if (path == current)
            list->setCurrentItem(item);
    }
    m_idle.start();
}

void StyleGalleryFrm::activated()
{
    if (!m_folder.isEmpty() && textToDraw() != m_text)
        showFolder(m_folder);
}

int StyleGalleryFrm::styleCount() const
{
    return list->count();
}

QString StyleGalleryFrm::stylePathAt(int row) const
{
    const QListWidgetItem* item = list->item(row);
    return item ? item->data(PathRole).toString() : QString();
}

QImage StyleGalleryFrm::thumbnailAt(int row) const
{
    return m_thumbnails.value(stylePathAt(row)).image;
}

void StyleGalleryFrm::drawNextThumbnail()
{
    for (int row = 0; row < list->count(); ++row) {
        const QString path = stylePathAt(row);
        if (m_thumbnails.contains(path))
            continue;
        // The picture kalvetra-render draws of this style and text, made small.
        const QImage image = cli::thumbnailOf(cli::drawStylePicture(path, m_text), ThumbnailBox);
        m_thumbnails.insert(path, Thumbnail{modifiedTime(path), m_text, image});
        ++m_drawn;
        if (!image.isNull())
            list->item(row)->setIcon(QPixmap::fromImage(image));
        return;
    }
    m_idle.stop();
}

void StyleGalleryFrm::styleClicked(QListWidgetItem* item)
{
    const QString path = item->data(PathRole).toString();
    // The second click of a double click is no new choice.
    if (path == m_lastApplied && m_sinceApplied.isValid() &&
        m_sinceApplied.elapsed() < QApplication::doubleClickInterval())
        return;
    m_lastApplied = path;
    m_sinceApplied.start();
    if (applyStyle)
        applyStyle(path);
}

void StyleGalleryFrm::styleDoubleClicked(QListWidgetItem* item)
{
    if (item->data(PathRole).toString() != m_lastApplied)
        styleClicked(item);
    emit closeRequested();
}

void StyleGalleryFrm::saveStyle()
{
    const QString name = nameBox->text().trimmed();
    const QString path = stylePath(m_folder, name);
    const QString title = QStringLiteral("スタイル一覧");
    if (path.isEmpty()) {
        m_dialogs.message(this, QStringLiteral("この名前では保存できません。"), title, MessageIcon::Exclamation,
                          MessageButtons::Ok);
        return;
    }
    if (QFileInfo::exists(path) &&
        m_dialogs.message(this, QStringLiteral("「%1」はもうあります。上書きしますか?").arg(name), title,
                          MessageIcon::Question, MessageButtons::YesNoCancel) != MessageAnswer::Yes)
        return;
    if (!saveCurrentSettings || !saveCurrentSettings(path)) {
        m_dialogs.message(this, QStringLiteral("「%1」を保存できませんでした。").arg(name), title,
                          MessageIcon::Exclamation, MessageButtons::Ok);
        return;
    }
    m_thumbnails.remove(path);
    showFolder(m_folder);
    for (int row = 0; row < list->count(); ++row)
        if (stylePathAt(row) == path)
            list->setCurrentRow(row);
}

void StyleGalleryFrm::deleteStyle()
{
    QListWidgetItem* item = list->currentItem();
    if (!item)
        return;
    const QString path = item->data(PathRole).toString();
    const QString title = QStringLiteral("スタイル一覧");
    if (m_dialogs.message(this, QStringLiteral("「%1」を削除しますか?").arg(item->text()), title,
                          MessageIcon::Question, MessageButtons::YesNoCancel) != MessageAnswer::Yes)
        return;
    if (!QFile::remove(path)) {
        m_dialogs.message(this, QStringLiteral("「%1」を削除できませんでした。").arg(item->text()), title,
                          MessageIcon::Exclamation, MessageButtons::Ok);
        return;
    }
    m_thumbnails.remove(path);
    showFolder(m_folder);
}

void StyleGalleryFrm::openFolder()
{
    const QString chosen = chooseFolder ? chooseFolder(m_folder) : QString();
    if (!chosen.isEmpty())
        showFolder(chosen);
}

}  // namespace kalvetra
