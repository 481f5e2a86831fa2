// The help: the program's own viewer of Kalvetra.chm, standing in for the HTML Help system
// of Windows. The menus' 目次 and 検索 open one help window for the whole program, with the
// contents, the index and a full-text search beside the page. A help file that cannot be
// opened is reported by the help window's side, titled "HTML ヘルプ", never by the caller.
#pragma once

#include <QDateTime>
#include <QString>
#include <QTextBrowser>
#include <QWidget>

#include <memory>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTabWidget;
class QTreeWidget;
class QTreeWidgetItem;

namespace kalvetra {

class ChmFile;
class Dialogs;
class HelpSearchIndex;

// 目次: "Kalvetra.chm" from the program's folder, at its page "html/kalv2abc.htm".
void showHelpContents(QWidget* owner);
// 検索: the same help window with its search view.
void showHelpSearch(QWidget* owner);

// Where the help looks and how it reports a file it cannot open. The program's is its own
// folder and the program's message boxes; tests give theirs.
struct HelpSystem {
    QString folder;  // for a file named without a folder
    Dialogs& dialogs;
};

// As Windows' HtmlHelp: `fileAndTopic` is "file" or "file::topic". The window shown, or null
// when the file could not be opened (after its message).
class HelpWindow;
HelpWindow* displayHelpTopic(QWidget* owner, const QString& fileAndTopic, const HelpSystem& system);
HelpWindow* displayHelpSearch(QWidget* owner, const QString& file, const HelpSystem& system);

// The page: links and pictures are read from the help file.
class HelpPageView : public QTextBrowser {
    Q_OBJECT
public:
    explicit HelpPageView(QWidget* parent = nullptr);
    void setHelpFile(const ChmFile* chm) { m_chm = chm; }
    QVariant loadResource(int type, const QUrl& name) override;

protected:
    void doSetSource(const QUrl& name, QTextDocument::ResourceType type) override;

private:
    const ChmFile* m_chm = nullptr;
    QUrl m_base;  // the page being shown: its links and pictures are relative to it
};

class HelpWindow : public QWidget {
    Q_OBJECT
public:
    ~HelpWindow() override;

    // The program's one help window, while it exists.
    static HelpWindow* current();
    // Opens the help file (unless the window holds it already) and shows the window at
    // `topic` (the file's default topic when empty) or at its search view.
    static HelpWindow* display(QWidget* owner, const QString& file, const QString& topic, bool searchView,
                               const HelpSystem& system);

    QString helpFilePath() const { return m_path; }
    // The page shown, as a path in the help file ("/html/kalv2abc.htm").
    QString currentTopic() const;

    // Shows a page of the help file; `topic` may carry a "#part". False when the file has no such page.
    bool showTopic(const QString& topic);
    void showContents();
    void showSearch();
    // The search of the search view, as its button runs it.
    void search(const QString& words);

    QTabWidget* tabs = nullptr;
    QTreeWidget* contentsTree = nullptr;
    QLineEdit* indexField = nullptr;
    QListWidget* indexList = nullptr;
    QLineEdit* searchField = nullptr;
    QPushButton* searchButton = nullptr;
    QLabel* searchStatus = nullptr;
    QListWidget* searchResults = nullptr;
    HelpPageView* page = nullptr;

private:
    explicit HelpWindow(QWidget* parent);

    void buildWindow();
    void setHelpFile(std::unique_ptr<ChmFile> chm, const QString& path);
    bool holdsUnchanged(const QString& path) const;
    void fillContents();
    void fillIndex();
    void followLink(const QUrl& link);
    void openSearchResult();
    void openIndexEntry();
    // Marks the contents entry of the page shown (and of its part, when it has one).
    void selectContentsEntry(const QUrl& shown);
    void goHome();

    std::unique_ptr<ChmFile> m_chm;
    std::unique_ptr<HelpSearchIndex> m_searchIndex;  // made at the first search
    QString m_path;
    qint64 m_fileSize = -1;
    bool m_placed = false;     // shown at least once: the window system keeps its place
    bool m_pageStale = false;  // the page shown came from the help file held before
    QDateTime m_fileTime;
};

}  // namespace kalvetra
