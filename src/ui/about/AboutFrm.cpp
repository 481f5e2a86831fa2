#include "AboutFrm.h"

#include "UrlJumpModule.h"

#include "ui/common/Twips.h"

#include <QEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>

namespace kalvetra {
namespace {

QFont pointFont(const QString& family, double points, bool bold)
{
    QFont f(family);
    f.setPixelSize(static_cast<int>(points * 4 / 3 + 0.5));
    f.setBold(bold);
    return f;
}

void setTextColor(QLabel* label, const QColor& color)
{
    QPalette p = label->palette();
    p.setColor(QPalette::WindowText, color);
    label->setPalette(p);
}

// A second label with the same text and font, moved by (dx, dy) twips: the shadow.
QLabel* shadowCopy(QLabel* original, int dxTwips, int dyTwips)
{
    auto* copy = new QLabel(original->text(), original->parentWidget());
    copy->setFont(original->font());
    copy->setGeometry(original->geometry().translated(twipsToPixels(dxTwips), twipsToPixels(dyTwips)));
    copy->show();
    return copy;
}

}  // namespace

QString versionText(int major, int minor, int revision)
{
    QString text = QStringLiteral("Version %1.%2").arg(major).arg(minor, 2, 10, QChar(u'0'));
    if (revision != 0)
        text += u'.' + QString::number(revision);
    return text;
}

AboutFrm::AboutFrm(Dialogs& dialogs, const QIcon& icon, QWidget* parent) : QDialog(parent), m_dialogs(dialogs)
{
    setWindowTitle(QStringLiteral("カルベトラのバージョン情報"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setAttribute(Qt::WA_DeleteOnClose);
    setMouseTracking(true);
    QFont uiFont(QStringLiteral("IPAPGothic"));
    uiFont.setPixelSize(12);
    setFont(uiFont);
    setFixedSize(twipsToPixels(4425), twipsToPixels(2130));

    Image1 = new QLabel(this);
    Image1->setGeometry(twipsRect(240, 120, 540, 540));
    Image1->setPixmap(icon.pixmap(Image1->size()));

    Label1[0] = new QLabel(QStringLiteral("カルベトラ"), this);
    Label1[0]->move(twipsToPixels(960), twipsToPixels(120));
    Label1[0]->setFont(pointFont(QStringLiteral("IPAPGothic"), 21.75, true));
    Label1[0]->adjustSize();
    Label2[0] = new QLabel(QStringLiteral("Version x.xx"), this);
    Label2[0]->move(twipsToPixels(2520), twipsToPixels(600));
    Label2[0]->setFont(pointFont(QStringLiteral("Times New Roman"), 12, true));
    Label3 = new QLabel(QStringLiteral("飾り文字の画像を作ります。"), this);
    Label3->move(twipsToPixels(1440), twipsToPixels(960));
    Label3->adjustSize();
    Label4 = new QLabel(QString::fromUtf16(ProjectWebSite), this);
    Label4->move(twipsToPixels(1440), twipsToPixels(1320));
    Label4->adjustSize();
    Label4->setCursor(Qt::PointingHandCursor);
    Label4->setMouseTracking(true);
    Label4->installEventFilter(this);
    Command1 = new QPushButton(QStringLiteral("&OK"), this);
    Command1->setGeometry(twipsRect(1680, 1680, 1215, 300));
    Command1->setDefault(true);
    connect(Command1, &QPushButton::clicked, this, &QDialog::close);

    // Load: the version, and the white title and version over their dark copies.
    Label2[0]->setText(versionText(KALVETRA_VERSION_MAJOR, KALVETRA_VERSION_MINOR, KALVETRA_VERSION_PATCH));
    Label2[0]->adjustSize();
    Label1[1] = shadowCopy(Label1[0], 30, 40);
    setTextColor(Label1[0], Qt::white);
    Label2[1] = shadowCopy(Label2[0], 15, 25);
    setTextColor(Label2[0], Qt::white);
    // The white labels in front, so that their shadows fall behind them.
    Label1[0]->raise();
    Label2[0]->raise();

    // Centred on the screen.
    if (const QScreen* screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());
}

bool AboutFrm::linkHighlighted() const
{
    return Label4->font().underline();
}

void AboutFrm::setLinkHighlighted(bool on)
{
    QFont f = Label4->font();
    f.setUnderline(on);
    Label4->setFont(f);
    setTextColor(Label4, on ? QColor(0, 0, 255) : QColor(0, 0, 0));
}

bool AboutFrm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Label4) {
        if (event->type() == QEvent::MouseMove || event->type() == QEvent::Enter) {
            setLinkHighlighted(true);
            // The box would take the move for a move outside the link.
            return event->type() == QEvent::MouseMove;
        }
        if (event->type() == QEvent::MouseButtonRelease)
            OpenUrl(Label4->text(), m_dialogs, this);
    }
    return QDialog::eventFilter(watched, event);
}

void AboutFrm::mouseMoveEvent(QMouseEvent* event)
{
    setLinkHighlighted(false);
    QDialog::mouseMoveEvent(event);
}

}  // namespace kalvetra
