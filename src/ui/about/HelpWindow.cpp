#include "ui/about/HelpWindow.h"

#include "platform/ChmFile.h"
#include "platform/ChmHtml.h"
#include "platform/ChmSearch.h"
#include "platform/ChmSitemap.h"
#include "platform/Dialogs.h"
#include "ui/common/QtDialogs.h"

#include <QAction>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QSignalBlocker>
#include <QSplitter>
#include <QStyle>
#include <QTabWidget>
#include <QTextDocument>
#include <QToolBar>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace kalvetra {

namespace {

const QString HelpFileName = QStringLiteral("Kalvetra.chm");
const QString ContentsTopic = QStringLiteral("html/kalv2abc.htm");
const QString HelpSystemTitle = QStringLiteral("HTML ヘルプ");
const QString PageScheme = QStringLiteral("chm");
constexpr int TopicRole = Qt::UserRole;

QPointer<HelpWindow> s_window;

HelpSystem programHelpSystem()
{
    static QtDialogs dialogs;
    return HelpSystem{QCoreApplication::applicationDirPath(), dialogs};
}

// A topic as the contents, the index and links name it ("html/a.htm#part",
// "ms-its:Kalvetra.chm::/html/a.htm") as a page of the file and the part of it.
struct Topic {
    QString path;
    QString part;
};

Topic topicOf(const QString& reference)
{
    QString r = reference.trimmed();
    const qsizetype inFile = r.indexOf(QLatin1String("::"));
    if (inFile >= 0)
        r = r.mid(inFile + 2);
    const qsizetype hash = r.indexOf(QLatin1Char('#'));
    Topic topic;
    topic.part = hash >= 0 ? r.mid(hash + 1) : QString();
    topic.path = ChmFile::normalisedPath(hash >= 0 ? r.left(hash) : r);
    return topic;
}

QUrl pageUrl(const Topic& topic)
{
    QUrl url;
    url.setScheme(PageScheme);
    url.setPath(topic.path);
    if (!topic.part.isEmpty())
        url.setFragment(topic.part);
    return url;
}

QString reasonFor(ChmFile::Status status)
{
    switch (status) {
    case ChmFile::Status::Missing: return QStringLiteral("ファイルが見つかりません。");
    case ChmFile::Status::Unreadable: return QStringLiteral("ファイルを読み取れません。");
    case ChmFile::Status::NotHelpFile: return QStringLiteral("HTML ヘルプ ファイルではありません。");
    case ChmFile::Status::Damaged: return QStringLiteral("ファイルが壊れています。");
    case ChmFile::Status::Opened: break;
    }
    return QString();
}

const QString KeywordPrompt = QStringLiteral("検索するキーワードを入力してください(&W):");

// A label whose access key takes the focus to `buddy`.
QLabel* labelFor(QWidget* buddy, const QString& text)
{
    auto* label = new QLabel(text);
    label->setBuddy(buddy);
    return label;
}

void addContentsItems(const QList<SitemapEntry>& entries, QTreeWidgetItem* parent, QTreeWidget* tree)
{
    for (const SitemapEntry& entry : entries) {
        auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(tree);
        item->setText(0, entry.name);
        if (!entry.locals.isEmpty())
            item->setData(0, TopicRole, entry.locals.first());
        addContentsItems(entry.children, item, tree);
    }
}

void addIndexItems(const QList<SitemapEntry>& entries, int depth, QListWidget* list)
{
    for (const SitemapEntry& entry : entries) {
        auto* item = new QListWidgetItem(QString(depth * 4, QLatin1Char(' ')) + entry.name, list);
        if (!entry.locals.isEmpty())
            item->setData(TopicRole, entry.locals.first());
        addIndexItems(entry.children, depth + 1, list);
    }
}

}  // namespace

// ============================================================================================
// Entry points
// ============================================================================================

void showHelpContents(QWidget* owner)
{
    displayHelpTopic(owner, HelpFileName + QLatin1String("::") + ContentsTopic, programHelpSystem());
}

void showHelpSearch(QWidget* owner)
{
    displayHelpSearch(owner, HelpFileName, programHelpSystem());
}

HelpWindow* displayHelpTopic(QWidget* owner, const QString& fileAndTopic, const HelpSystem& system)
{
    const qsizetype separator = fileAndTopic.indexOf(QLatin1String("::"));
    const QString file = separator >= 0 ? fileAndTopic.left(separator) : fileAndTopic;
    const QString topic = separator >= 0 ? fileAndTopic.mid(separator + 2) : QString();
    return HelpWindow::display(owner, file, topic, false, system);
}

HelpWindow* displayHelpSearch(QWidget* owner, const QString& file, const HelpSystem& system)
{
    return HelpWindow::display(owner, file, QString(), true, system);
}

// ============================================================================================
// The page view
// ============================================================================================

HelpPageView::HelpPageView(QWidget* parent) : QTextBrowser(parent)
{
    // Links are followed by the window: some stay in the help file, some leave it.
    setOpenLinks(false);
}

QVariant HelpPageView::loadResource(int type, const QUrl& name)
{
    if (!m_chm)
        return QVariant();
    const QUrl url = name.isRelative() ? m_base.resolved(name) : name;
    if (url.scheme() != PageScheme)
        return QVariant();
    const std::optional<QByteArray> bytes = m_chm->read(url.path());
    if (!bytes)
        return QVariant();
    switch (type) {
    case QTextDocument::HtmlResource: return decodeHtmlPage(*bytes);
    case QTextDocument::StyleSheetResource: return QString::fromUtf8(*bytes);
    case QTextDocument::ImageResource: return QImage::fromData(*bytes);
    default: return *bytes;
    }
}

void HelpPageView::doSetSource(const QUrl& name, QTextDocument::ResourceType type)
{
    m_base = name;
    QTextBrowser::doSetSource(name, type);
}

// ============================================================================================
// The window
// ============================================================================================

HelpWindow* HelpWindow::current()
{
    return s_window;
}

HelpWindow* HelpWindow::display(QWidget* owner, const QString& file, const QString& topic, bool searchView,
                                const HelpSystem& system)
{
    const QString path = QDir(system.folder).filePath(file);
    HelpWindow* window = s_window;
    const bool fresh = !window || !window->holdsUnchanged(path);
    if (fresh) {
        ChmFile::Opening opening = ChmFile::open(path);
        if (!opening.file) {
            system.dialogs.message(owner,
                                   QStringLiteral("ファイル %1 を開けません。\n").arg(file) +
                                       reasonFor(opening.status) + QLatin1Char('\n') +
                                       QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()),
                                   HelpSystemTitle, MessageIcon::Exclamation, MessageButtons::Ok);
            return nullptr;
        }
        if (!window) {
            window = new HelpWindow(nullptr);
            s_window = window;
        }
        window->setHelpFile(std::move(opening.file), path);
    }

    // The help window belongs to the program's window: it stays in front of it and goes with it.
    QWidget* ownerWindow = owner ? owner->window() : nullptr;
    if (ownerWindow != window && window->parentWidget() != ownerWindow) {
        const QRect geometry = window->geometry();
        window->setParent(ownerWindow, Qt::Window);
        if (window->m_placed)
            window->setGeometry(geometry);
    }
    // The first showing is centred on the program's window, as its dialogs are; later ones
    // come back where the window was closed, which the window system keeps.
    if (!window->m_placed) {
        const QRect over = ownerWindow ? ownerWindow->frameGeometry()
                           : window->screen()     ? window->screen()->availableGeometry()
                                                  : QRect();
        if (over.isValid())
            window->move(over.center() - QPoint(window->width() / 2, window->height() / 2));
        window->m_placed = true;
    }

    if (!topic.isEmpty()) {
        window->showTopic(topic);
    } else if (fresh || window->currentTopic().isEmpty()) {
        window->goHome();
    }
    if (searchView)
        window->showSearch();
    else
        window->showContents();
    window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

HelpWindow::HelpWindow(QWidget* parent) : QWidget(parent, Qt::Window)
{
    // Closing the program's last window ends the program even while help is open.
    setAttribute(Qt::WA_QuitOnClose, false);
    setWindowTitle(HelpSystemTitle);
    buildWindow();
    resize(880, 640);
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &QWidget::close);
}

HelpWindow::~HelpWindow() = default;

void HelpWindow::buildWindow()
{
    auto* toolbar = new QToolBar(this);
    toolbar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    QAction* back = toolbar->addAction(style()->standardIcon(QStyle::SP_ArrowBack), QStringLiteral("戻る"));
    QAction* forward = toolbar->addAction(style()->standardIcon(QStyle::SP_ArrowForward), QStringLiteral("進む"));
    QAction* home = toolbar->addAction(style()->standardIcon(QStyle::SP_DirHomeIcon), QStringLiteral("ホーム"));
    back->setEnabled(false);
    forward->setEnabled(false);

    tabs = new QTabWidget;

    contentsTree = new QTreeWidget;
    contentsTree->setHeaderHidden(true);
    tabs->addTab(contentsTree, QStringLiteral("目次(&C)"));

    auto* indexPane = new QWidget;
    auto* indexLayout = new QVBoxLayout(indexPane);
    indexField = new QLineEdit;
    indexList = new QListWidget;
    auto* indexShow = new QPushButton(QStringLiteral("表示(&D)"));
    indexLayout->addWidget(labelFor(indexField, KeywordPrompt));
    indexLayout->addWidget(indexField);
    indexLayout->addWidget(indexList, 1);
    indexLayout->addWidget(indexShow, 0, Qt::AlignRight);
    tabs->addTab(indexPane, QStringLiteral("キーワード(&N)"));

    auto* searchPane = new QWidget;
    auto* searchLayout = new QVBoxLayout(searchPane);
    searchField = new QLineEdit;
    searchButton = new QPushButton(QStringLiteral("検索開始(&L)"));
    searchResults = new QListWidget;
    searchStatus = new QLabel;
    auto* searchShow = new QPushButton(QStringLiteral("表示(&D)"));
    auto* fieldRow = new QHBoxLayout;
    fieldRow->addWidget(searchField, 1);
    fieldRow->addWidget(searchButton);
    searchLayout->addWidget(labelFor(searchField, KeywordPrompt));
    searchLayout->addLayout(fieldRow);
    searchLayout->addWidget(labelFor(searchResults, QStringLiteral("表示するトピックを選択してください(&T):")));
    searchLayout->addWidget(searchResults, 1);
    auto* statusRow = new QHBoxLayout;
    statusRow->addWidget(searchStatus, 1);
    statusRow->addWidget(searchShow);
    searchLayout->addLayout(statusRow);
    tabs->addTab(searchPane, QStringLiteral("検索(&S)"));

    page = new HelpPageView;

    auto* splitter = new QSplitter(Qt::Horizontal);
    splitter->addWidget(tabs);
    splitter->addWidget(page);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({260, 620});

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(toolbar);
    layout->addWidget(splitter, 1);

    connect(back, &QAction::triggered, page, &QTextBrowser::backward);
    connect(forward, &QAction::triggered, page, &QTextBrowser::forward);
    connect(home, &QAction::triggered, this, &HelpWindow::goHome);
    connect(page, &QTextBrowser::backwardAvailable, back, &QAction::setEnabled);
    connect(page, &QTextBrowser::forwardAvailable, forward, &QAction::setEnabled);
    connect(page, &QTextBrowser::anchorClicked, this, &HelpWindow::followLink);
    // NOTE: the signal comes before source() gives the new page.
    connect(page, &QTextBrowser::sourceChanged, this, &HelpWindow::selectContentsEntry);

    connect(contentsTree, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        if (item && item->data(0, TopicRole).isValid())
            showTopic(item->data(0, TopicRole).toString());
    });

    connect(indexField, &QLineEdit::textEdited, this, [this](const QString& text) {
        const QString typed = searchForm(text.trimmed());
        for (int i = 0; i < indexList->count() && !typed.isEmpty(); ++i) {
            if (searchForm(indexList->item(i)->text().trimmed()).startsWith(typed)) {
                indexList->setCurrentRow(i);
                indexList->scrollToItem(indexList->item(i), QAbstractItemView::PositionAtTop);
                break;
            }
        }
    });
    connect(indexField, &QLineEdit::returnPressed, this, &HelpWindow::openIndexEntry);
    connect(indexList, &QListWidget::itemActivated, this, &HelpWindow::openIndexEntry);
    connect(indexShow, &QPushButton::clicked, this, &HelpWindow::openIndexEntry);

    connect(searchField, &QLineEdit::returnPressed, this, [this] { search(searchField->text()); });
    connect(searchButton, &QPushButton::clicked, this, [this] { search(searchField->text()); });
    connect(searchResults, &QListWidget::itemActivated, this, &HelpWindow::openSearchResult);
    connect(searchShow, &QPushButton::clicked, this, &HelpWindow::openSearchResult);
}

bool HelpWindow::holdsUnchanged(const QString& path) const
{
    const QFileInfo info(path);
    return m_chm && QFileInfo(m_path).absoluteFilePath() == info.absoluteFilePath() &&
           info.size() == m_fileSize && info.lastModified() == m_fileTime;
}

void HelpWindow::setHelpFile(std::unique_ptr<ChmFile> chm, const QString& path)
{
    // The page must not read from the file that is let go.
    page->setHelpFile(chm.get());
    m_chm = std::move(chm);
    m_path = path;
    const QFileInfo info(path);
    m_fileSize = info.size();
    m_fileTime = info.lastModified();
    m_searchIndex.reset();
    m_pageStale = true;
    page->clearHistory();
    searchResults->clear();
    searchStatus->clear();
    setWindowTitle(m_chm->title().isEmpty() ? HelpSystemTitle : m_chm->title());
    fillContents();
    fillIndex();
}

namespace {

// The list file the project names, or else the first of its kind in the help file.
QString listFile(const ChmFile& chm, const QString& named, const QString& suffix)
{
    if (!named.isEmpty())
        return named;
    for (const QString& file : chm.files())
        if (file.endsWith(suffix, Qt::CaseInsensitive))
            return file;
    return QString();
}

QList<SitemapEntry> readList(const ChmFile& chm, const QString& file)
{
    if (file.isEmpty())
        return {};
    const std::optional<QByteArray> bytes = chm.read(file);
    return bytes ? parseSitemap(decodeHtmlPage(*bytes)) : QList<SitemapEntry>();
}

}  // namespace

void HelpWindow::fillContents()
{
    const QSignalBlocker blocker(contentsTree);
    contentsTree->clear();
    addContentsItems(readList(*m_chm, listFile(*m_chm, m_chm->contentsFile(), QStringLiteral(".hhc"))), nullptr,
                     contentsTree);
    for (int i = 0; i < contentsTree->topLevelItemCount(); ++i)
        contentsTree->topLevelItem(i)->setExpanded(true);
}

void HelpWindow::fillIndex()
{
    indexList->clear();
    addIndexItems(readList(*m_chm, listFile(*m_chm, m_chm->indexFile(), QStringLiteral(".hhk"))), 0, indexList);
}

QString HelpWindow::currentTopic() const
{
    return page->source().path();
}

bool HelpWindow::showTopic(const QString& reference)
{
    if (!m_chm)
        return false;
    const Topic topic = topicOf(reference);
    if (!m_chm->contains(topic.path)) {
        page->setHtml(QStringLiteral("<h2>ページを表示できません</h2><p>このヘルプ ファイルに %1 はありません。</p>")
                          .arg(reference.toHtmlEscaped()));
        return false;
    }
    page->setSource(pageUrl(topic), QTextDocument::HtmlResource);
    if (m_pageStale) {
        // The same address in a new file is a new page: read it again.
        m_pageStale = false;
        page->reload();
    }
    return true;
}

void HelpWindow::goHome()
{
    if (!m_chm)
        return;
    if (!m_chm->defaultTopic().isEmpty() && showTopic(m_chm->defaultTopic()))
        return;
    // Without a default topic the first page of the contents stands in.
    for (QTreeWidgetItemIterator it(contentsTree); *it; ++it) {
        if ((*it)->data(0, TopicRole).isValid()) {
            showTopic((*it)->data(0, TopicRole).toString());
            return;
        }
    }
}

void HelpWindow::showContents()
{
    tabs->setCurrentWidget(contentsTree);
}

void HelpWindow::showSearch()
{
    tabs->setCurrentIndex(2);
    searchField->setFocus();
    searchField->selectAll();
}

void HelpWindow::search(const QString& words)
{
    if (!m_chm)
        return;
    searchField->setText(words);
    if (!m_searchIndex)
        m_searchIndex = std::make_unique<HelpSearchIndex>(HelpSearchIndex::ofHelpFile(*m_chm));
    searchResults->clear();
    const QList<SearchHit> hits = m_searchIndex->search(words);
    for (const SearchHit& hit : hits) {
        auto* item = new QListWidgetItem(hit.title, searchResults);
        item->setData(TopicRole, hit.path);
    }
    if (searchWords(words).isEmpty())
        searchStatus->setText(QStringLiteral("キーワードを入力してください。"));
    else if (hits.isEmpty())
        searchStatus->setText(QStringLiteral("該当するトピックはありません。"));
    else
        searchStatus->setText(QStringLiteral("%1 件のトピックが見つかりました。").arg(hits.size()));
    if (!hits.isEmpty())
        searchResults->setCurrentRow(0);
}

void HelpWindow::openSearchResult()
{
    QListWidgetItem* item = searchResults->currentItem();
    if (!item || !showTopic(item->data(TopicRole).toString()))
        return;
    // The first word found is shown selected, as a reader looks for it.
    const QStringList words = searchWords(searchField->text());
    if (!words.isEmpty()) {
        page->moveCursor(QTextCursor::Start);
        page->find(words.first());
    }
}

void HelpWindow::openIndexEntry()
{
    QListWidgetItem* item = indexList->currentItem();
    if (item && item->data(TopicRole).isValid())
        showTopic(item->data(TopicRole).toString());
}

void HelpWindow::followLink(const QUrl& link)
{
    const QString scheme = link.scheme().toLower();
    if (scheme == QLatin1String("http") || scheme == QLatin1String("https") || scheme == QLatin1String("mailto")) {
        QDesktopServices::openUrl(link);
        return;
    }
    if (link.isRelative() && link.path().isEmpty() && link.hasFragment()) {
        page->scrollToAnchor(link.fragment());
        return;
    }
    if (scheme == QLatin1String("ms-its") || scheme == QLatin1String("mk")) {
        showTopic(link.toString());
        return;
    }
    const QUrl target = link.isRelative() ? page->source().resolved(link) : link;
    showTopic(target.path() + (target.hasFragment() ? QLatin1Char('#') + target.fragment() : QString()));
}

void HelpWindow::selectContentsEntry(const QUrl& shown)
{
    const auto leadsTo = [&shown](const QTreeWidgetItem* item, bool partToo) {
        const QVariant data = item ? item->data(0, TopicRole) : QVariant();
        if (!data.isValid())
            return false;
        const Topic topic = topicOf(data.toString());
        return topic.path.compare(shown.path(), Qt::CaseInsensitive) == 0 && (!partToo || topic.part == shown.fragment());
    };
    // NOTE: several entries may lead into one page, each to a part of it. The entry that is
    // chosen stays so while it leads to the page shown; choosing the page's first entry
    // instead threw the arrow keys back at every entry within a page.
    QTreeWidgetItem* current = contentsTree->currentItem();
    if (leadsTo(current, !shown.fragment().isEmpty()))
        return;
    QTreeWidgetItem* found = nullptr;
    for (QTreeWidgetItemIterator it(contentsTree); *it && !found; ++it)
        if (leadsTo(*it, true))
            found = *it;
    for (QTreeWidgetItemIterator it(contentsTree); *it && !found; ++it)
        if (leadsTo(*it, false))
            found = *it;
    if (!found)
        return;
    const QSignalBlocker blocker(contentsTree);
    contentsTree->setCurrentItem(found);
    for (QTreeWidgetItem* parent = found->parent(); parent; parent = parent->parent())
        parent->setExpanded(true);
}

}  // namespace kalvetra
