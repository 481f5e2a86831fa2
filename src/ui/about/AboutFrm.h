// The About box: the program's name and version with white shadows, a notice, and the link
// to the project's web site. One box, shown without blocking the other windows.
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace kalvetra {

class Dialogs;

// The project's web site, the address the About box links to.
inline constexpr char16_t ProjectWebSite[] = u"https://kalvetra.github.io/";

// "Version 1.21" for 1.21.0, "Version 1.21.7" for 1.21.7, "Version 1.05" for 1.5.0.
QString versionText(int major, int minor, int revision);

class AboutFrm : public QDialog {
    Q_OBJECT
public:
    AboutFrm(Dialogs& dialogs, const QIcon& icon, QWidget* parent = nullptr);

    QLabel* Image1 = nullptr;
    QLabel* Label1[2]{};
    QLabel* Label2[2]{};
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;  // the link
    QPushButton* Command1 = nullptr;

    bool linkHighlighted() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void setLinkHighlighted(bool on);
    Dialogs& m_dialogs;
};

}  // namespace kalvetra
