// The larger editor of the settings window's text: a small window beside the one-line text
// box that shows every line of the text and edits it (Enter starts a new line). The two stay
// one text: whatever is typed in one shows in the other at once.
#pragma once

#include <QWidget>

class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace kalvetra {

class TextLinesEditor : public QWidget {
    Q_OBJECT
public:
    // `line` is the text box it mirrors; the editor is a tool window of `owner`.
    TextLinesEditor(QLineEdit* line, QWidget* owner);

    // Shows the editor below the text box with the cursor where the text box has it.
    void openBesideTextBox();

    QPlainTextEdit* editor = nullptr;
    QPushButton* closeButton = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void takeFromTextBox();
    void giveToTextBox();

    QLineEdit* m_line;
    bool m_syncing = false;
};

// The editor's text as the text box holds it: lines joined by "\n".
QString plainTextOf(const QPlainTextEdit& editor);

}  // namespace kalvetra
