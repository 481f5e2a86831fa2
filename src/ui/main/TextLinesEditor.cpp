#include "TextLinesEditor.h"

#include <QBoxLayout>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextBlock>
#include <QTextCursor>

#include <algorithm>

namespace kalvetra {

QString plainTextOf(const QPlainTextEdit& editor)
{
    // NOTE: the raw text keeps no-break spaces, which toPlainText would turn into spaces.
    QString text = editor.document()->toRawText();
    for (const QChar separator : {QChar(QChar::ParagraphSeparator), QChar(QChar::LineSeparator)})
        text.replace(separator, u'\n');
    return text;
}

TextLinesEditor::TextLinesEditor(QLineEdit* line, QWidget* owner) : QWidget(owner, Qt::Tool), m_line(line)
{
    setWindowTitle(QStringLiteral("文字列"));
    setFont(owner->font());
    editor = new QPlainTextEdit(this);
    editor->setLineWrapMode(QPlainTextEdit::NoWrap);
    editor->setTabChangesFocus(true);
    editor->installEventFilter(this);
    auto* hint = new QLabel(QStringLiteral("Enter で改行"), this);
    closeButton = new QPushButton(QStringLiteral("閉じる(&X)"), this);
    closeButton->setAutoDefault(false);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(hint);
    buttons->addStretch();
    buttons->addWidget(closeButton);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(editor);
    layout->addLayout(buttons);
    resize(320, 170);

    connect(editor, &QPlainTextEdit::textChanged, this, &TextLinesEditor::giveToTextBox);
    connect(m_line, &QLineEdit::textChanged, this, &TextLinesEditor::takeFromTextBox);
    connect(closeButton, &QPushButton::clicked, this, &QWidget::close);
}

void TextLinesEditor::openBesideTextBox()
{
    takeFromTextBox();
    QFont f = editor->font();
    f.setFamily(m_line->font().family());
    editor->setFont(f);
    move(m_line->mapToGlobal(QPoint(0, m_line->height())));
    show();
    raise();
    activateWindow();
    // The same place in the text as the text box's cursor.
    QTextCursor cursor(editor->document());
    cursor.setPosition(std::min(m_line->cursorPosition(), editor->document()->characterCount() - 1));
    editor->setTextCursor(cursor);
    editor->setFocus(Qt::OtherFocusReason);
}

void TextLinesEditor::takeFromTextBox()
{
    if (m_syncing || plainTextOf(*editor) == m_line->text())
        return;
    m_syncing = true;
    editor->setPlainText(m_line->text());
    m_syncing = false;
}

void TextLinesEditor::giveToTextBox()
{
    if (m_syncing)
        return;
    const QString text = plainTextOf(*editor);
    if (text == m_line->text())
        return;
    m_syncing = true;
    // The text box keeps its cursor where the editor's is, so that typing on goes on there.
    m_line->setText(text);
    m_line->setCursorPosition(editor->textCursor().position());
    m_syncing = false;
}

bool TextLinesEditor::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == editor && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        // Ctrl+Enter, which makes a line break in the text box, makes one here too.
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && key->modifiers() != Qt::NoModifier) {
            editor->insertPlainText(QStringLiteral("\n"));
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TextLinesEditor::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void TextLinesEditor::closeEvent(QCloseEvent* event)
{
    // Back to the text box, where the user came from.
    m_line->window()->activateWindow();
    m_line->setFocus(Qt::OtherFocusReason);
    event->accept();
}

}  // namespace kalvetra
