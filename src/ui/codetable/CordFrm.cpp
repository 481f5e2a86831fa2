#include "CordFrm.h"

#include "platform/Cp932.h"
#include "render/FontSubstitution.h"
#include "ui/common/Twips.h"
#include "ui/main/MainFrm.h"

#include <QComboBox>
#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>

#include <algorithm>

namespace kalvetra {
namespace {

// The design: cells of 300 twips from (360, 840), headers beside and above them.
constexpr int CellTwips = 300;
constexpr int GridLeftTwips = 360;
constexpr int GridTopTwips = 840;

QFont fontOfSize(const QString& family, double points)
{
    QFont f(substituteFontFamily(family));
    f.setPixelSize(static_cast<int>(points * 4 / 3 + 0.5));
    return f;
}

}  // namespace

QString codeTableCharacter(int code)
{
    if (code <= 0 || code > 255)
        return {};
    const QString s = cp932::decode(QByteArray(1, static_cast<char>(code)));
    if (s.size() != 1 || s[0] == QChar(0xFFFD) || !s[0].isPrint() || s[0].category() == QChar::Other_PrivateUse)
        return {};
    return s;
}

QString codeTableCodeText(int code)
{
    return QStringLiteral("cord : 0x") + QString::number(code, 16).toUpper() + u'(' + QString::number(code) + u')';
}

CordFrm::CordFrm(MainFrm& settingsWindow, QWidget* parent) : QWidget(parent), m_main(settingsWindow)
{
    setWindowTitle(QStringLiteral("文字コード表"));
    setAttribute(Qt::WA_DeleteOnClose);
    setMouseTracking(true);
    QFont uiFont(QStringLiteral("IPAPGothic"));
    uiFont.setPixelSize(12);
    setFont(uiFont);

    Label1 = new QLabel(QStringLiteral("フォント(&F):"), this);
    Label1->setGeometry(twipsRect(120, 120, 825, 180));
    Label1->setMouseTracking(true);
    Label1->installEventFilter(this);
    Combo1 = new QComboBox(this);
    Combo1->setGeometry(twipsToPixels(960), twipsToPixels(80), twipsToPixels(1935), Combo1->sizeHint().height());
    Label1->setBuddy(Combo1);
    Combo1->installEventFilter(this);
    Label2 = new QLabel(this);
    Label2->setGeometry(twipsRect(3000, 0, 255 + 200, 435 + 40));
    Label2->setAutoFillBackground(true);
    Label2->setAlignment(Qt::AlignCenter);
    Label2->hide();
    Label3 = new QLabel(QStringLiteral("Code:"), this);
    Label3->move(twipsToPixels(3480), twipsToPixels(120));
    Label3->setFont(fontOfSize(QStringLiteral("MS UI Gothic"), 9));
    Label3->hide();

    // Load: the settings window's font list, with its selection; the cells stay empty until
    // the table is shown.
    for (int i = 0; i < m_main.Combo1->count(); ++i)
        Combo1->addItem(m_main.Combo1->itemText(i));
    Combo1->setCurrentIndex(m_main.Combo1->currentIndex());
    const QFont cellFont = fontOfSize(selectedFont().isEmpty() ? QStringLiteral("ＭＳ Ｐゴシック") : selectedFont(), 8.25);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            const int i = x + 16 * y;
            auto* cell = new QPushButton(this);
            cell->setGeometry(twipsRect(GridLeftTwips + x * CellTwips, GridTopTwips + y * CellTwips, CellTwips, CellTwips));
            cell->setFont(cellFont);
            cell->setStyleSheet(QStringLiteral("QPushButton { background: white; border: 1px solid #a0a0a0; padding: 0; }"
                                               "QPushButton:pressed { background: #d8d8ff; }"
                                               "QPushButton:focus { border: 2px solid #3060d0; }"));
            // The grid is one stop of the tab order, at its current cell; arrows move within it.
            cell->setFocusPolicy(i == m_current ? Qt::TabFocus : Qt::NoFocus);
            cell->setMouseTracking(true);
            cell->installEventFilter(this);
            connect(cell, &QPushButton::clicked, this, [this, i] { choose(i); });
            Command1[static_cast<size_t>(i)] = cell;
        }
    for (int i = 0; i < 16; ++i) {
        const QString hex = QString::number(i, 16).toUpper();
        Label4[static_cast<size_t>(i)] = new QLabel(hex, this);
        Label4[static_cast<size_t>(i)]->setGeometry(twipsRect(GridLeftTwips + i * CellTwips, 600, CellTwips, 255));
        Label4[static_cast<size_t>(i)]->setAlignment(Qt::AlignCenter);
        Label5[static_cast<size_t>(i)] = new QLabel(hex, this);
        Label5[static_cast<size_t>(i)]->setGeometry(twipsRect(120, GridTopTwips + i * CellTwips + 30, 225, 255));
    }
    connect(Combo1, &QComboBox::currentIndexChanged, this, &CordFrm::Combo1_Click);
    setFixedSize(sizeHint());
}

QSize CordFrm::sizeHint() const
{
    // The grid, its headers and a margin of 200 twips at the right, 120 below.
    return QSize(twipsToPixels(16 * CellTwips + GridLeftTwips + 200), twipsToPixels(16 * CellTwips + GridTopTwips + 120));
}

QList<QMenu*> CordFrm::menus() const
{
    // The table has no menus of its own: the frame keeps the settings window's.
    return {};
}

QString CordFrm::selectedFont() const
{
    return Combo1->currentText();
}

void CordFrm::Combo1_Click()
{
    if (!isVisible())
        return;
    const QFont font = fontOfSize(selectedFont(), 8.25);
    for (int i = 1; i < 256; ++i) {
        Command1[static_cast<size_t>(i)]->setFont(font);
        // A button reads "&" as the mark of its access key: the ampersand is written twice.
        Command1[static_cast<size_t>(i)]->setText(codeTableCharacter(i).replace(u'&', QStringLiteral("&&")));
    }
    hidePreview();
}

void CordFrm::activated()
{
    // The child window itself may hold the focus: its keys pass here first.
    if (parentWidget())
        parentWidget()->installEventFilter(this);
    // The table takes the settings window's font over whenever it comes to the front.
    Combo1->setCurrentIndex(m_main.Combo1->currentIndex());
}

void CordFrm::pointAt(int code)
{
    QFont big = fontOfSize(selectedFont(), 20.25);
    Label2->setFont(big);
    Label2->setText(codeTableCharacter(code));
    Label2->show();
    Label3->setText(codeTableCodeText(code));
    Label3->adjustSize();
    Label3->show();
}

void CordFrm::hidePreview()
{
    Label2->hide();
    Label3->hide();
}

void CordFrm::choose(int code)
{
    m_main.Combo1->setCurrentIndex(Combo1->currentIndex());
    QFont f = m_main.Text1[0]->font();
    f.setFamily(substituteFontFamily(selectedFont()));
    m_main.Text1[0]->setFont(f);
    // Cell 0 stands for the end of a string: a NUL never enters the text.
    const QString character = code > 0 ? cp932::decode(QByteArray(1, static_cast<char>(code))) : QString();
    if (!character.isEmpty() && character != QString(QChar(0xFFFD)))
        m_main.Text1[0]->setText(m_main.Text1[0]->text() + character);
    m_main.Text1[0]->setCursorPosition(static_cast<int>(m_main.Text1[0]->text().size()));
    emit chosen();
}

bool CordFrm::isAccessKey(const QKeyEvent* event) const
{
    return QKeySequence(event->keyCombination()) == QKeySequence::mnemonic(Label1->text());
}

bool CordFrm::takeAccessKey(QEvent* event)
{
    if (event->type() != QEvent::ShortcutOverride && event->type() != QEvent::KeyPress)
        return false;
    auto* key = static_cast<QKeyEvent*>(event);
    if (!isAccessKey(key))
        return false;
    // NOTE: the frame keeps the settings window's menus while the table is active, and their
    // ファイル(&F) shares the key: claiming it here first lets it reach the table's font box.
    key->accept();
    if (event->type() == QEvent::KeyPress)
        Combo1->setFocus(Qt::ShortcutFocusReason);
    return true;
}

bool CordFrm::event(QEvent* event)
{
    if (takeAccessKey(event))
        return true;
    return QWidget::event(event);
}

int CordFrm::cellOf(const QObject* watched) const
{
    for (int i = 0; i < 256; ++i)
        if (watched == Command1[static_cast<size_t>(i)])
            return i;
    return -1;
}

void CordFrm::moveToCell(int code)
{
    Command1[static_cast<size_t>(m_current)]->setFocusPolicy(Qt::NoFocus);
    m_current = code;
    QPushButton* cell = Command1[static_cast<size_t>(code)];
    cell->setFocusPolicy(Qt::TabFocus);
    cell->setFocus(Qt::TabFocusReason);
}

bool CordFrm::cellKey(int code, const QKeyEvent* key)
{
    const int x = code % 16;
    const int y = code / 16;
    switch (key->key()) {
    case Qt::Key_Left: moveToCell(y * 16 + std::max(0, x - 1)); return true;
    case Qt::Key_Right: moveToCell(y * 16 + std::min(15, x + 1)); return true;
    case Qt::Key_Up: moveToCell(std::max(0, y - 1) * 16 + x); return true;
    case Qt::Key_Down: moveToCell(std::min(15, y + 1) * 16 + x); return true;
    case Qt::Key_Home: moveToCell(y * 16); return true;
    case Qt::Key_End: moveToCell(y * 16 + 15); return true;
    case Qt::Key_Return:
    case Qt::Key_Enter: choose(code); return true;
    default: return false;  // Space clicks the cell as a button does
    }
}

bool CordFrm::eventFilter(QObject* watched, QEvent* event)
{
    if ((watched == Combo1 || watched == parentWidget()) && takeAccessKey(event))
        return true;
    if (const int code = cellOf(watched); code >= 0) {
        if (event->type() == QEvent::FocusIn)
            pointAt(code);
        else if (event->type() == QEvent::FocusOut)
            hidePreview();
        else if (event->type() == QEvent::KeyPress && cellKey(code, static_cast<QKeyEvent*>(event)))
            return true;
    }
    if (event->type() == QEvent::MouseMove || event->type() == QEvent::Enter) {
        if (watched == Label1) {
            hidePreview();
        } else {
            for (int i = 0; i < 256; ++i)
                if (watched == Command1[static_cast<size_t>(i)]) {
                    pointAt(i);
                    // NOTE: a move the cell does not use would reach the window and hide the
                    // preview again; moves with a button held still go to the cell.
                    if (event->type() == QEvent::MouseMove && static_cast<QMouseEvent*>(event)->buttons() == Qt::NoButton)
                        return true;
                    break;
                }
        }
    }
    return QWidget::eventFilter(watched, event);
}

void CordFrm::mouseMoveEvent(QMouseEvent* event)
{
    hidePreview();
    QWidget::mouseMoveEvent(event);
}

}  // namespace kalvetra
