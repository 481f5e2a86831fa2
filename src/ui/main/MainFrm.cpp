// The settings window's controls, laid out from the design's twips, and the SettingsControls
// side of the window. The handlers are in MainFrmHandlers.cpp.
#include "MainFrm.h"

#include "RecentFilesMenu.h"
#include "SettingsUndo.h"
#include "TextLinesEditor.h"

#include "render/FontFamilies.h"
#include "render/FontSubstitution.h"
#include "ui/common/FileDrop.h"
#include "ui/common/FrameStyle.h"
#include "ui/common/ToolbarIcons.h"
#include "ui/common/Twips.h"

#include <QAction>
#include <QButtonGroup>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QSlider>
#include <QSpinBox>
#include <QToolBar>

#include <algorithm>

namespace kalvetra {
namespace {

// The client area as designed, and the height the window's load gives it (5000 twips outside,
// less a caption and border) with a row for the layout of the lines below the frames, which
// still leaves Picture3 below the visible area.
constexpr int ClientWidthTwips = 6990;
constexpr int LayoutRowTopTwips = 4650;
constexpr int LayoutRowHeightTwips = 300;
constexpr int VisibleClientHeightTwips = 5040;

QLabel* label(QWidget* parent, const QString& text, const QRect& r)
{
    QLabel* l = text.contains(u'&') ? new AccessLabel(text, parent) : new QLabel(text, parent);
    // NOTE: the design's label widths fit its own font to the pixel; a caption is never cut here.
    l->setGeometry(QRect(r.topLeft(), QSize(std::max(r.width(), l->sizeHint().width()), r.height())));
    return l;
}

QGroupBox* frame(QWidget* parent, const QString& title, const QRect& r)
{
    auto* f = new QGroupBox(title, parent);
    useWindowsFrame(f);
    f->setGeometry(r);
    return f;
}

QSlider* slider(QWidget* parent, const QRect& r, int min, int max, int value, int largeChange, int tick)
{
    auto* s = new QSlider(Qt::Horizontal, parent);
    s->setGeometry(r);
    s->setRange(min, max);
    s->setValue(value);
    s->setSingleStep(1);
    s->setPageStep(largeChange);
    s->setTickInterval(tick);
    s->setTickPosition(QSlider::TicksBelow);
    return s;
}

}  // namespace

MainFrm::MainFrm(Dialogs& dialogs, PictureLoader loadPicture, QWidget* parent)
    : QWidget(parent), m_dialogs(dialogs), m_loadPicture(std::move(loadPicture))
{
    setWindowTitle(QStringLiteral("設定"));
    for (int i = 0; i < ExtraCount; ++i)
        m_extras[static_cast<size_t>(i)] = extraRange(static_cast<Extra>(i)).defaultValue;
    // The window's own user-interface font: a 9-point Gothic, as the layout was designed for.
    QFont uiFont(QStringLiteral("IPAPGothic"));
    uiFont.setPixelSize(12);
    setFont(uiFont);
    setFixedSize(twipsToPixels(ClientWidthTwips), twipsToPixels(VisibleClientHeightTwips));
    buildControls();
    m_history = new SettingsHistory(*this);
    buildMenus();
    setTabOrder();
    connectHandlers();
    new FileDropTarget(this, [this](const QString& path) { openRelatedPath(path); });
}

MainFrm::~MainFrm() = default;

void MainFrm::buildControls()
{
    Toolbar1 = new QToolBar(this);
    Toolbar1->setGeometry(twipsRect(0, 0, 6990, 360));
    Toolbar1->setIconSize(QSize(16, 16));

    label(this, QStringLiteral("文字列(&C):"), twipsRect(120, 480, 810, 180));
    Text1[0] = new QLineEdit(this);
    Text1[0]->setGeometry(twipsRect(1080, 480, 2535, 330));

    QGroupBox* frame1 = frame(this, QStringLiteral("フォント"), twipsRect(120, 840, 3495, 3495));
    label(frame1, QStringLiteral("フォント(&F):"), twipsRect(120, 240, 825, 180));
    Combo1 = new QComboBox(frame1);
    Combo1->setGeometry(twipsRect(1080, 240, 2175, 300));
    Combo1->setEditable(false);
    const char16_t* const sizeLabels[] = {u"サイズ(&S):", u"横幅(&W):", u"角度(&E):"};
    const int labelWidths[] = {765, 645, 615};
    const int tops[] = {600, 1200, 1800};
    const int ranges[3][4] = {{10, 500, 10, 25}, {10, 500, 30, 30}, {0, 360, 45, 45}};
    for (int i = 0; i < 3; ++i) {
        label(frame1, QString::fromUtf16(sizeLabels[i]), twipsRect(120, tops[i], labelWidths[i], 180));
        Text2[i] = new QLineEdit(frame1);
        // Three digits must fit the narrow box, whatever the font's digits measure.
        QRect box = twipsRect(1080, tops[i], 375, 270);
        box.setWidth(std::max(box.width(), Text2[i]->fontMetrics().horizontalAdvance(QStringLiteral("500")) + 12));
        Text2[i]->setGeometry(box);
        Text2[i]->installEventFilter(this);
        // NOTE: 30 twips lower than designed, where the number box above would overlap it.
        Slider1[i] = slider(frame1, twipsRect(120, tops[i] + 270, 3255, 255), ranges[i][0], ranges[i][1],
                            i == 2 ? 0 : 10, ranges[i][2], ranges[i][3]);
    }
    const struct {
        int index;
        const char16_t* text;
        int left, top, width;
    } checks[] = {{0, u"太字(&B)", 120, 2520, 975},
                  {2, u"下線(&U)", 1200, 2520, 975},
                  {4, u"縦書(&D)", 2280, 2520, 975},
                  {1, u"斜体(&I)", 120, 2760, 975},
                  {3, u"取消線(&O)", 1200, 2760, 1095}};
    for (const auto& c : checks) {
        Check1[c.index] = new CheckBox(QString::fromUtf16(c.text), frame1);
        Check1[c.index]->setGeometry(twipsRect(c.left, c.top, c.width, 180));
    }
    // Beneath 縦書, which it belongs to.
    tateChuYokoBox = new CheckBox(QStringLiteral("縦中横(&Y)"), frame1);
    const QRect besideStrikeOut = twipsRect(2310, 2760, 975, 180);
    tateChuYokoBox->setGeometry(QRect(besideStrikeOut.topLeft(),
                                      QSize(std::max(besideStrikeOut.width(), tateChuYokoBox->sizeHint().width()),
                                            besideStrikeOut.height())));
    tateChuYokoBox->setToolTip(QStringLiteral("縦書で 1～2 桁の半角数字と !? !! を横に並べて 1 文字分に収めます"));
    Check3 = new CheckBox(QStringLiteral("中心のフォントを等倍描画"), frame1);
    Check3->setGeometry(twipsRect(120, 3000, 2775, 180));
    // Below the last row of the font's switches: the outline's corners.
    label(frame1, QStringLiteral("縁の形(&N):"), twipsRect(120, 3240, 825, 180));
    auto* ringGroup = new QButtonGroup(this);
    const char16_t* const ringCaptions[] = {u"角", u"丸"};
    for (int i = 0; i < 2; ++i) {
        Option2[static_cast<size_t>(i)] = new QRadioButton(QString::fromUtf16(ringCaptions[i]), frame1);
        Option2[static_cast<size_t>(i)]->setGeometry(twipsRect(1080 + 720 * i, 3240, 615, 180));
        ringGroup->addButton(Option2[static_cast<size_t>(i)], i);
    }
    Option2[0]->setChecked(true);

    QGroupBox* frame2 = frame(this, QStringLiteral("幅"), twipsRect(3720, 40, 3135, 1215));
    // NOTE: the sliders start 60 twips right of the design, clear of their labels' captions.
    Label3[0] = label(frame2, QStringLiteral("縁取り(&O):"), twipsRect(120, 200, 765, 180));
    Slider2[0] = slider(frame2, twipsRect(1020, 200, 1875, 255), 1, 30, 5, 3, 2);
    Label3[1] = label(frame2, QStringLiteral("影位置(&A):"), twipsRect(120, 495, 810, 180));
    Slider2[1] = slider(frame2, twipsRect(1020, 500, 1875, 255), 0, 20, 9, 3, 2);
    Slider2[2] = slider(frame2, twipsRect(1020, 795, 1875, 255), 0, 20, 5, 3, 2);
    Label3[2] = label(frame2, QStringLiteral("立体幅(&L):"), twipsRect(120, 795, 780, 180));
    Label3[1]->hide();
    Slider2[1]->hide();

    QGroupBox* frame3 = frame(this, QStringLiteral("種別"), twipsRect(3720, 1320, 1455, 1695));
    auto* group = new QButtonGroup(this);
    for (int i = 0; i < DecorationTypeCount; ++i) {
        Option1[i] = new QRadioButton(decorationCaption(decorationTypeFromIndex(i)), frame3);
        Option1[i]->setGeometry(twipsRect(120, 240 + 240 * i, i == 4 ? 1095 : 1215, 180));
        group->addButton(Option1[i], i);
    }
    Check2 = new CheckBox(QStringLiteral("影付き"), frame3);
    Check2->setGeometry(twipsRect(480, 1440, 855, 180));

    QGroupBox* frame4 = frame(this, QStringLiteral("プレビュー"), twipsRect(5280, 1320, 1575, 1695));
    Picture1 = new SurfaceView(frame4);
    Picture1->setGeometry(twipsRect(120, 360, 1335, 1095));

    // One row taller than the program's frame: the gradient and effect buttons below the colours.
    QGroupBox* frame5 = frame(this, QStringLiteral("カラー"), twipsRect(3720, 3120, 3135, 1470));
    Picture2 = new SurfaceView(frame5);
    Picture2->setGeometry(twipsRect(120, 200, 1215, 920));
    const char16_t* const slotLabels[] = {u"①", u"②", u"③", u"④", u"⑤", u"影"};
    const int slotLeft[] = {1440, 1440, 1440, 1440, 2280, 2280};
    const int slotTop[] = {240, 480, 720, 960, 720, 960};
    for (int i = 0; i < ColorSlotCount; ++i) {
        Label2[i] = label(frame5, QString::fromUtf16(slotLabels[i]), twipsRect(slotLeft[i], slotTop[i], 180, 180));
        Command1[i] = new ColorButton(frame5);
        Command1[i]->setGeometry(twipsRect(slotLeft[i] + 240, slotTop[i], 495, 180));
    }
    Label2[5]->hide();
    Command1[5]->hide();
    Command1[5]->setBackColor(colorValue(0, 0, 0));
    auto* background = new QPushButton(QStringLiteral("背景画"), frame5);
    background->setGeometry(twipsRect(2280, 240, 735, 250));
    Command2 = background;
    // NOTE: not in the place of the shadow colour, which 影付き shows.
    gradientButton = new QPushButton(QStringLiteral("グラデ..."), frame5);
    gradientButton->setGeometry(twipsRect(2280, 1200, 795, 240));
    gradientButton->setToolTip(QStringLiteral("グラデーション"));
    effectButton = new QPushButton(QStringLiteral("効果..."), frame5);
    effectButton->setGeometry(twipsRect(1440, 1200, 795, 240));
    effectButton->setToolTip(QStringLiteral("効果 (ぼかした影と光彩)"));

    // The save buffer of the image windows, below the visible part of the window.
    Picture3 = new SurfaceView(this);
    Picture3->setGeometry(twipsRect(240, 5100, 2055, 495));

    for (SurfaceView* view : {Picture1, Picture2, Picture3})
        view->setFocusPolicy(Qt::NoFocus);
    buildLayoutRow();
}

void MainFrm::buildLayoutRow()
{
    // Left to right from the captions' own widths, so that no caption runs into a box.
    int x = twipsToPixels(120);
    const int top = twipsToPixels(LayoutRowTopTwips);
    const int height = twipsToPixels(LayoutRowHeightTwips);
    auto place = [&](QWidget* w, int width, int gapAfter) {
        w->setGeometry(x, top, width, height);
        x += width + gapAfter;
    };
    auto caption = [&](const QString& text) {
        auto* l = new AccessLabel(text, this);
        l->setAlignment(Qt::AlignVCenter | Qt::AlignLeft);
        place(l, l->sizeHint().width(), 3);
    };
    caption(QStringLiteral("揃え(&J):"));
    alignBox = new QComboBox(this);
    alignBox->addItems({QStringLiteral("左・上"), QStringLiteral("中央"), QStringLiteral("右・下")});
    alignBox->setCurrentIndex(1);
    alignBox->setToolTip(QStringLiteral("行の揃え (縦書では上・中央・下)"));
    place(alignBox, alignBox->sizeHint().width(), 12);

    caption(QStringLiteral("行間(&G):"));
    lineSpacingBox = new QSpinBox(this);
    lineSpacingBox->setRange(50, 300);
    lineSpacingBox->setSingleStep(10);
    lineSpacingBox->setValue(100);
    lineSpacingBox->setSuffix(QStringLiteral("%"));
    lineSpacingBox->setToolTip(QStringLiteral("行の間隔: フォントの行の高さに対するパーセント"));
    place(lineSpacingBox, lineSpacingBox->sizeHint().width(), 12);

    caption(QStringLiteral("字間(&K):"));
    letterSpacingBox = new QSpinBox(this);
    letterSpacingBox->setRange(-200, 200);
    letterSpacingBox->setValue(0);
    letterSpacingBox->setToolTip(QStringLiteral("文字の間隔 (ピクセル): マイナスで詰まります"));
    place(letterSpacingBox, letterSpacingBox->sizeHint().width(), 12);

    linesButton = new QPushButton(QStringLiteral("複数行(&M)..."), this);
    linesButton->setToolTip(QStringLiteral("文字列を複数行で編集します (文字列欄では Ctrl+Enter で改行)"));
    place(linesButton, std::min(linesButton->sizeHint().width(), twipsToPixels(ClientWidthTwips - 120) - x), 0);
    linesEditor = new TextLinesEditor(Text1[0], this);
}

void MainFrm::buildMenus()
{
    auto* file = new QMenu(QStringLiteral("ファイル(&F)"), this);
    MNU_F_I = file->addAction(QStringLiteral("イメージファイルを開く(&I)"));
    file->addSeparator();
    MNU_F_O = file->addAction(QStringLiteral("設定ファイルを開く(&O)"));
    MNU_F_S = file->addAction(QStringLiteral("設定をファイルに保存(&S)"));
    recentFiles = new RecentFilesMenu(m_dialogs, [this] { return saveFile; }, this);
    recentFiles->open = [this](const QString& path) { loadSettingsFile(path); };
    file->addMenu(recentFiles);
    file->addSeparator();
    MNU_F_X = file->addAction(QStringLiteral("カルベトラの終了(&X)"));

    // NOTE: not 編集(&E): 角度(&E) has had that key since the window was designed.
    auto* edit = new QMenu(QStringLiteral("編集(&Z)"), this);
    MNU_E_U = m_history->createUndoAction(this, true);
    MNU_E_R = m_history->createRedoAction(this, true);
    edit->addAction(MNU_E_U);
    edit->addAction(MNU_E_R);

    auto* run = new QMenu(QStringLiteral("実行(&R)"), this);
    MNU_R_M = run->addAction(QStringLiteral("文字作成(&M)"));
    run->addSeparator();
    MNU_R_C = run->addAction(QStringLiteral("文字コード表(&C)"));
    MNU_R_G = run->addAction(QStringLiteral("スタイル一覧(&G)..."));
    run->addSeparator();
    MNU_R_D = run->addAction(QStringLiteral("デフォルトの設定に戻す(&D)"));

    auto* options = new QMenu(QStringLiteral("設定(&T)"), this);
    MNU_T_E = options->addAction(QStringLiteral("終了時に設定を保存する(&E)"));
    MNU_T_S = options->addAction(QStringLiteral("子画面を閉じる時に保存確認(&S)"));
    for (QAction* a : {MNU_T_E, MNU_T_S}) {
        a->setCheckable(true);
        a->setChecked(true);  // both options are on as designed
    }
    MNU_T_B = options->addAction(QStringLiteral("背景を透明にする(&B)"));
    MNU_T_B->setCheckable(true);

    auto* help = new QMenu(QStringLiteral("ヘルプ(&H)"), this);
    MNU_H_C = help->addAction(QStringLiteral("目次(&C)..."));
    MNU_H_K = help->addAction(QStringLiteral("検索(&S)..."));
    help->addSeparator();
    MNU_H_A = help->addAction(QStringLiteral("バージョン情報(&A)..."));
    m_menus = {file, edit, run, options, help};

    // The toolbar's seven places: 1 open, 2 save, separator, 4 create, 5 code table,
    // separator, 7 help.
    const struct {
        ToolbarPicture picture;
        const char16_t* tip;
    } buttons[] = {{ToolbarPicture::Open, u"設定またはイメージを開く"},
                   {ToolbarPicture::Save, u"設定ファイルの保存"},
                   {ToolbarPicture::Open, nullptr},
                   {ToolbarPicture::Create, u"文字作成"},
                   {ToolbarPicture::CodeTable, u"文字コード表"},
                   {ToolbarPicture::Open, nullptr},
                   {ToolbarPicture::Help, u"ヘルプ"}};
    for (int index = 1; index <= 7; ++index) {
        const auto& b = buttons[index - 1];
        if (!b.tip) {
            Toolbar1->addSeparator();
            continue;
        }
        QAction* action = Toolbar1->addAction(toolbarIcon(b.picture), QString());
        action->setToolTip(QString::fromUtf16(b.tip));
        connect(action, &QAction::triggered, this, [this, index] { Toolbar1_ButtonClick(index); });
    }
    Toolbar1->addSeparator();
    QAction* undo = m_history->createUndoAction(Toolbar1, false);
    undo->setIcon(toolbarIcon(ToolbarPicture::Undo));
    Toolbar1->addAction(undo);
    QAction* redo = m_history->createRedoAction(Toolbar1, false);
    redo->setIcon(toolbarIcon(ToolbarPicture::Redo));
    Toolbar1->addAction(redo);
}

QList<QMenu*> MainFrm::menus() const
{
    return m_menus;
}

void MainFrm::setTabOrder()
{
    // Labels are kept in the list so that their access key can find the control after them.
    QList<QWidget*> order;
    const auto labels = findChildren<QLabel*>();
    auto labelWith = [&labels](const QString& caption) -> QLabel* {
        for (QLabel* l : labels)
            if (auto* a = qobject_cast<AccessLabel*>(l); a && a->caption() == caption)
                return l;
        return nullptr;
    };
    order << labelWith(QStringLiteral("文字列(&C):")) << Text1[0] << labelWith(QStringLiteral("フォント(&F):")) << Combo1
          << labelWith(QStringLiteral("サイズ(&S):")) << Text2[0] << Slider1[0] << labelWith(QStringLiteral("横幅(&W):"))
          << Text2[1] << Slider1[1] << labelWith(QStringLiteral("角度(&E):")) << Text2[2] << Slider1[2] << Check1[0]
          << Check1[2] << Check1[4] << Check1[1] << Check1[3] << tateChuYokoBox << Check3
          << labelWith(QStringLiteral("縁の形(&N):")) << Option2[0] << Option2[1]
          // The row of the lines' layout lies below the font frame.
          << labelWith(QStringLiteral("揃え(&J):")) << alignBox << labelWith(QStringLiteral("行間(&G):")) << lineSpacingBox
          << labelWith(QStringLiteral("字間(&K):")) << letterSpacingBox << linesButton << Label3[0] << Slider2[0] << Label3[1]
          << Slider2[1];
    for (QRadioButton* b : Option1)
        order << b;
    for (int i = 0; i < 5; ++i)
        order << Label2[i] << Command1[i];
    order << Check2 << Slider2[2] << Label3[2] << Command1[5] << Label2[5] << Command2 << effectButton << gradientButton;
    m_tabOrder = order;

    QWidget* previous = nullptr;
    for (QWidget* w : order) {
        if (qobject_cast<QLabel*>(w))
            continue;
        if (previous)
            QWidget::setTabOrder(previous, w);
        previous = w;
    }
    // A label's access key moves the focus to the next control after it that can take it.
    // NOTE: フォント(&F) shares its key with the ファイル(&F) menu; the menu keeps it, as users
    // expect of Alt+F.
    QList<QKeySequence> menuKeys;
    for (const QMenu* menu : m_menus)
        menuKeys << QKeySequence::mnemonic(menu->title());
    for (QWidget* w : order) {
        auto* l = qobject_cast<AccessLabel*>(w);
        if (!l || l->accessKey().isEmpty() || menuKeys.contains(l->accessKey()))
            continue;
        auto* shortcut = new QShortcut(l->accessKey(), this);
        auto focusNext = [this, l] {
            if (QWidget* next = controlAfter(l))
                next->setFocus(Qt::ShortcutFocusReason);
        };
        connect(shortcut, &QShortcut::activated, this, focusNext);
        connect(shortcut, &QShortcut::activatedAmbiguously, this, focusNext);
    }
}

QWidget* MainFrm::controlAfter(QWidget* label) const
{
    const qsizetype at = m_tabOrder.indexOf(label);
    for (qsizetype i = at + 1; i < m_tabOrder.size(); ++i) {
        QWidget* w = m_tabOrder[i];
        if (!qobject_cast<QLabel*>(w) && w->isVisibleTo(this) && w->isEnabled())
            return w;
    }
    return nullptr;
}

// ---- SettingsControls ---------------------------------------------------------------------

QSlider* MainFrm::sliderOf(Slider slider) const
{
    const int i = static_cast<int>(slider);
    return i < 3 ? Slider1[static_cast<size_t>(i)] : Slider2[static_cast<size_t>(i - 3)];
}

CheckBox* MainFrm::checkOf(Check check) const
{
    switch (check) {
    case Check::TwiceDraw:
        return Check3;
    case Check::Shadow:
        return Check2;
    default:
        return Check1[static_cast<size_t>(check)];
    }
}

int MainFrm::sliderValue(Slider slider) const
{
    return sliderOf(slider)->value();
}

QString MainFrm::numberBoxText(Slider slider) const
{
    return hasNumberBox(slider) ? Text2[static_cast<size_t>(slider)]->text() : QString();
}

int MainFrm::checkValue(Check check) const
{
    return checkOf(check)->value();
}

QString MainFrm::fontName() const
{
    return Combo1->currentText();
}

DecorationType MainFrm::selectedType() const
{
    for (int i = 0; i < DecorationTypeCount; ++i)
        if (Option1[i]->isChecked())
            return decorationTypeFromIndex(i);
    return DecorationType::None;
}

ColorValue MainFrm::color(int slot) const
{
    return Command1[static_cast<size_t>(slot)]->backColor();
}

LayerGradient MainFrm::gradient(int slot) const
{
    return m_gradients[static_cast<size_t>(slot - Layer1Slot)];
}

void MainFrm::storeGradient(int slot, const LayerGradient& gradient)
{
    // As with a colour, no handler runs; the window's next paint shows it.
    m_gradients[static_cast<size_t>(slot - Layer1Slot)] = gradient;
    update();
}

int MainFrm::extra(Extra extra) const
{
    return m_extras[static_cast<size_t>(extra)];
}

void MainFrm::storeExtra(Extra extra, int value)
{
    int& current = m_extras[static_cast<size_t>(extra)];
    if (current == value)
        return;
    current = value;
    syncExtraControl(extra);
    DrawPreview();
    DrawColorGuide();
}

void MainFrm::syncExtraControl(Extra extra)
{
    // Setting a control from here raises its handler, which finds the value already stored.
    const int value = m_extras[static_cast<size_t>(extra)];
    switch (extra) {
    case Extra::RingShape:
        Option2[static_cast<size_t>(value == 1 ? 1 : 0)]->setChecked(true);
        break;
    case Extra::Align:
        alignBox->setCurrentIndex(value);
        break;
    case Extra::LineSpacing:
        lineSpacingBox->setValue(value);
        break;
    case Extra::LetterSpacing:
        letterSpacingBox->setValue(value);
        break;
    case Extra::TateChuYoko:
        tateChuYokoBox->setValue(value);
        break;
    default:
        break;
    }
}

void MainFrm::storeSlider(Slider slider, int value)
{
    sliderOf(slider)->setValue(value);
}

void MainFrm::storeNumberBoxText(Slider slider, const QString& text)
{
    Text2[static_cast<size_t>(slider)]->setText(text);
}

void MainFrm::storeCheck(Check check, int value)
{
    checkOf(check)->setValue(value);
}

void MainFrm::storeFontName(const QString& name)
{
    std::optional<qsizetype> i = fontListIndex(fontListItems(), name);
    if (!i && fontListIndex(acceptedFontNames(m_families), name)) {
        // A name the list leaves out as a face of another entry (Qt's "Sans Serif") still
        // loads: it gets an entry of its own, in its place.
        const QStringList items = fontListItems();
        i = std::lower_bound(items.begin(), items.end(), name, fontListOrder) - items.begin();
        const QSignalBlocker blocker(Combo1);
        Combo1->insertItem(static_cast<int>(*i), name);
    }
    if (!i)
        return;
    // The entry shows the name as it was given: the family in the language a settings file
    // wrote it in, a Windows face in the case the file spelt it.
    if (Combo1->itemText(static_cast<int>(*i)) != name)
        Combo1->setItemText(static_cast<int>(*i), name);
    Combo1->setCurrentIndex(static_cast<int>(*i));
}

void MainFrm::storeSelectedType(DecorationType type)
{
    const int i = static_cast<int>(type);
    if (i >= 0 && i < DecorationTypeCount)
        Option1[i]->setChecked(true);
}

void MainFrm::storeColor(int slot, ColorValue value)
{
    Command1[static_cast<size_t>(slot)]->setBackColor(value);
}

std::optional<QString> MainFrm::fontListEntry(const QString& name) const
{
    if (const std::optional<qsizetype> i = fontListIndex(fontListItems(), name))
        return Combo1->itemText(static_cast<int>(*i));
    // A face the list leaves out as another entry's (Qt's "Sans Serif") gets an entry when stored.
    if (fontListIndex(acceptedFontNames(m_families), name))
        return name;
    return std::nullopt;
}

QStringList MainFrm::fontListItems() const
{
    QStringList items;
    for (int i = 0; i < Combo1->count(); ++i)
        items << Combo1->itemText(i);
    return items;
}

void MainFrm::fillFontList(const QStringList& families)
{
    // Adding names selects nothing and runs no handler, as the list's AddItem does.
    const QSignalBlocker blocker(Combo1);
    m_families = families;
    Combo1->clear();
    Combo1->addItems(fontListNames(families));
    Combo1->setCurrentIndex(-1);
}

}  // namespace kalvetra
