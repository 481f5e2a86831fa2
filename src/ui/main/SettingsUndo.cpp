#include "SettingsUndo.h"

#include "MainFrm.h"

#include "settings/SettingsKeys.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QUndoCommand>

#include <algorithm>
#include <set>

namespace kalvetra {
namespace {

constexpr int KeyCount = static_cast<int>(SettingsKeys.size());
// Settings beyond the key table, numbered after its rows.
constexpr int TextSetting = KeyCount;
constexpr int BackgroundSetting = KeyCount + 1;

SettingsSnapshot::Value keyValue(const MainFrm& w, const SettingsKey& key)
{
    switch (key.kind) {
    case SettingsKey::FontName:
        return w.fontName();
    case SettingsKey::BoxedSlider:
    case SettingsKey::PlainSlider:
        return std::int64_t{w.sliderValue(static_cast<Slider>(key.index))};
    case SettingsKey::CheckBox:
        return std::int64_t{w.checkValue(static_cast<Check>(key.index))};
    case SettingsKey::Type:
        return std::int64_t{static_cast<int>(w.selectedType())};
    case SettingsKey::Color:
        return std::int64_t{w.color(key.index)};
    case SettingsKey::GradientEnable:
        return std::int64_t{w.gradient(key.index).enabled};
    case SettingsKey::GradientColor:
        return std::int64_t{w.gradient(key.index).color};
    case SettingsKey::GradientHorizontal:
        return std::int64_t{w.gradient(key.index).horizontal};
    case SettingsKey::ExtraValue:
        return std::int64_t{w.extra(static_cast<Extra>(key.index))};
    }
    return std::int64_t{0};
}

void setKeyValue(MainFrm& w, const SettingsKey& key, const SettingsSnapshot::Value& value)
{
    if (const auto* name = std::get_if<QString>(&value)) {
        w.setFontName(*name);
        return;
    }
    const std::int64_t n = std::get<std::int64_t>(value);
    switch (key.kind) {
    case SettingsKey::FontName:
        break;
    case SettingsKey::BoxedSlider:
    case SettingsKey::PlainSlider:
        w.setSliderValue(static_cast<Slider>(key.index), n);
        break;
    case SettingsKey::CheckBox:
        w.setCheckValue(static_cast<Check>(key.index), n);
        break;
    case SettingsKey::Type:
        w.selectType(n);
        break;
    case SettingsKey::Color:
        w.setColor(key.index, n);
        break;
    case SettingsKey::GradientEnable:
        w.setGradientEnabled(key.index, n);
        break;
    case SettingsKey::GradientColor:
        w.setGradientColor(key.index, n);
        break;
    case SettingsKey::GradientHorizontal:
        w.setGradientHorizontal(key.index, n);
        break;
    case SettingsKey::ExtraValue:
        w.setExtra(static_cast<Extra>(key.index), n);
        break;
    }
}

// The setting a number box belongs to: its slider's row of the key table.
int boxSetting(int box)
{
    for (int i = 0; i < KeyCount; ++i)
        if (SettingsKeys[static_cast<size_t>(i)].kind == SettingsKey::BoxedSlider &&
            SettingsKeys[static_cast<size_t>(i)].index == box)
            return i;
    return -1;
}

QString keyCaption(const SettingsKey& key)
{
    switch (key.kind) {
    case SettingsKey::FontName:
        return QStringLiteral("フォント");
    case SettingsKey::BoxedSlider:
    case SettingsKey::PlainSlider: {
        static const char16_t* const names[SliderCount] = {u"サイズ", u"横幅", u"角度", u"縁取り", u"影位置", u"立体幅"};
        return QString::fromUtf16(names[key.index]);
    }
    case SettingsKey::CheckBox: {
        static const char16_t* const names[CheckCount] = {u"太字", u"斜体", u"下線", u"取消線",
                                                          u"縦書", u"等倍描画", u"影付き"};
        return QString::fromUtf16(names[key.index]);
    }
    case SettingsKey::Type:
        return QStringLiteral("種別");
    case SettingsKey::Color:
        return colorCaption(key.index);
    case SettingsKey::GradientEnable:
    case SettingsKey::GradientColor:
    case SettingsKey::GradientHorizontal:
        return QStringLiteral("グラデーション");
    case SettingsKey::ExtraValue: {
        static const char16_t* const names[ExtraCount] = {u"縁の形", u"影のぼかし", u"影の不透明度", u"光彩",
                                                          u"光彩の色", u"光彩の幅", u"光彩の不透明度", u"揃え",
                                                          u"行間", u"字間", u"縦中横"};
        return QString::fromUtf16(names[key.index]);
    }
    }
    return {};
}

// The extra values that a slider or a number sets, a little at a time.
bool isGradual(Extra extra)
{
    switch (extra) {
    case Extra::ShadowBlur:
    case Extra::ShadowOpacity:
    case Extra::GlowRadius:
    case Extra::GlowOpacity:
    case Extra::LineSpacing:
    case Extra::LetterSpacing:
        return true;
    case Extra::RingShape:
    case Extra::GlowEnable:
    case Extra::GlowColor:
    case Extra::Align:
    case Extra::TateChuYoko:
        return false;
    }
    return false;
}

QString settingCaption(int setting)
{
    if (setting == TextSetting)
        return QStringLiteral("文字列");
    if (setting == BackgroundSetting)
        return QStringLiteral("背景画");
    return keyCaption(SettingsKeys[static_cast<size_t>(setting)]);
}

// Settings whose changes come in runs - a drag, arrow keys, typing - that make one step.
bool changesInRuns(int setting)
{
    if (setting == TextSetting)
        return true;
    if (setting < 0 || setting >= KeyCount)
        return false;
    const SettingsKey& key = SettingsKeys[static_cast<size_t>(setting)];
    return key.kind == SettingsKey::BoxedSlider || key.kind == SettingsKey::PlainSlider ||
           (key.kind == SettingsKey::ExtraValue && isGradual(static_cast<Extra>(key.index)));
}

std::set<int> changedSettings(const SettingsSnapshot& a, const SettingsSnapshot& b)
{
    std::set<int> changed;
    for (int i = 0; i < KeyCount; ++i)
        if (a.keys[static_cast<size_t>(i)] != b.keys[static_cast<size_t>(i)])
            changed.insert(i);
    for (int box = 0; box < 3; ++box)
        if (a.numberBoxes[static_cast<size_t>(box)] != b.numberBoxes[static_cast<size_t>(box)])
            changed.insert(boxSetting(box));
    if (a.text != b.text)
        changed.insert(TextSetting);
    if (a.backgroundPath != b.backgroundPath || a.previewPicture.cacheKey() != b.previewPicture.cacheKey() ||
        a.guidePicture.cacheKey() != b.guidePicture.cacheKey())
        changed.insert(BackgroundSetting);
    return changed;
}

QString escapedForMenu(QString text)
{
    return text.replace(u'&', QStringLiteral("&&"));
}

}  // namespace

QString colorCaption(int slot)
{
    static const char16_t* const names[ColorSlotCount] = {u"カラー①", u"カラー②", u"カラー③",
                                                          u"カラー④", u"カラー⑤", u"影の色"};
    return slot >= 0 && slot < ColorSlotCount ? QString::fromUtf16(names[slot]) : QString();
}

bool SettingsSnapshot::operator==(const SettingsSnapshot& other) const
{
    // NOTE: pictures compare by identity: comparing their pixels on every redraw would cost
    // as much as the picture is large, and a picture chosen again is a step of its own.
    return keys == other.keys && numberBoxes == other.numberBoxes && text == other.text &&
           backgroundPath == other.backgroundPath && previewPicture.cacheKey() == other.previewPicture.cacheKey() &&
           guidePicture.cacheKey() == other.guidePicture.cacheKey();
}

SettingsSnapshot takeSnapshot(const MainFrm& w)
{
    SettingsSnapshot s;
    s.keys.reserve(SettingsKeys.size());
    for (const SettingsKey& key : SettingsKeys)
        s.keys.push_back(keyValue(w, key));
    for (size_t box = 0; box < s.numberBoxes.size(); ++box)
        s.numberBoxes[box] = w.Text2[box]->text();
    s.text = w.Text1[0]->text();
    s.backgroundPath = w.BackgroundPicturePath;
    s.previewPicture = w.Picture1->surface().picture();
    s.guidePicture = w.Picture2->surface().picture();
    return s;
}

void applySnapshot(MainFrm& w, const SettingsSnapshot& s)
{
    // In the order of the key table, as a settings file loads: a type applied on the way
    // sets its own colours and flat layers, which the colours and gradients after it replace.
    for (size_t i = 0; i < SettingsKeys.size() && i < s.keys.size(); ++i)
        if (keyValue(w, SettingsKeys[i]) != s.keys[i])
            setKeyValue(w, SettingsKeys[i], s.keys[i]);
    for (size_t box = 0; box < s.numberBoxes.size(); ++box)
        if (w.Text2[box]->text() != s.numberBoxes[box])
            w.setNumberBoxText(static_cast<Slider>(box), s.numberBoxes[box]);
    if (w.Text1[0]->text() != s.text)
        w.Text1[0]->setText(s.text);
    w.BackgroundPicturePath = s.backgroundPath;
    w.Picture1->surface().setPicture(s.previewPicture);
    w.Picture2->surface().setPicture(s.guidePicture);
    w.DrawPreview();
    w.DrawColorGuide();
}

// ---- The steps ----------------------------------------------------------------------------

class SettingsCommand : public QUndoCommand {
public:
    // `run` numbers the drag or run of keys the step is part of; 0 for a step of its own.
    SettingsCommand(SettingsHistory& history, const QString& label, SettingsSnapshot before,
                    SettingsSnapshot after, int run)
        : QUndoCommand(label), m_history(history), m_before(std::move(before)), m_after(std::move(after)), m_run(run)
    {
    }

    int id() const override { return m_run == 0 ? -1 : RunId; }

    bool mergeWith(const QUndoCommand* other) override
    {
        // NOTE: by the run, not the setting: after a drag that came back to its start was
        // dropped, the step below may be an earlier drag of the same slider.
        const auto* next = static_cast<const SettingsCommand*>(other);
        if (next->m_run != m_run)
            return false;
        m_after = next->m_after;
        // A drag that ends where it began changed nothing.
        setObsolete(m_after == m_before);
        return true;
    }

    void undo() override { m_history.restore(m_before); }

    void redo() override
    {
        // The first redo is the push: the window is there already.
        if (m_pushed)
            m_history.restore(m_after);
        m_pushed = true;
    }

private:
    static constexpr int RunId = 0x4b56;
    SettingsHistory& m_history;
    SettingsSnapshot m_before;
    SettingsSnapshot m_after;
    int m_run;
    bool m_pushed = false;
};

SettingsHistory::SettingsHistory(MainFrm& window) : QObject(&window), m_window(window)
{
    m_current = takeSnapshot(m_window);
    // The texts change without a redraw of the preview.
    connect(m_window.Text1[0], &QLineEdit::textChanged, this, &SettingsHistory::noteChange);
    for (QLineEdit* box : m_window.Text2)
        connect(box, &QLineEdit::textChanged, this, &SettingsHistory::noteChange);
    connect(qApp, &QApplication::focusChanged, this, &SettingsHistory::endRun);
    qApp->installEventFilter(this);
}

SettingsHistory::~SettingsHistory() = default;

void SettingsHistory::clear()
{
    m_stack.clear();
    m_current = takeSnapshot(m_window);
    endRun();
}

void SettingsHistory::noteChange()
{
    if (m_depth > 0 || m_applying)
        return;
    SettingsSnapshot now = takeSnapshot(m_window);
    if (now == m_current)
        return;
    const std::set<int> changed = changedSettings(m_current, now);
    QString label = settingCaption(*changed.begin());
    for (const int setting : changed)
        if (settingCaption(setting) != label)
            label = QStringLiteral("設定の変更");
    const int runSetting = changed.size() == 1 && changesInRuns(*changed.begin()) ? *changed.begin() : -1;
    record(label, runSetting);
}

void SettingsHistory::record(const QString& label, int runSetting)
{
    SettingsSnapshot now = takeSnapshot(m_window);
    int run = 0;
    if (runSetting >= 0) {
        if (!m_runOpen || m_runSetting != runSetting)
            ++m_runNumber;
        run = m_runNumber;
    }
    auto* command = new SettingsCommand(*this, escapedForMenu(label), m_current, now, run);
    m_current = std::move(now);
    m_stack.push(command);
    m_runOpen = runSetting >= 0;
    m_runSetting = runSetting;
}

void SettingsHistory::restore(const SettingsSnapshot& snapshot)
{
    m_applying = true;
    applySnapshot(m_window, snapshot);
    m_applying = false;
    m_current = takeSnapshot(m_window);
    endRun();
}

SettingsHistory::Step::Step(SettingsHistory& history, const QString& label) : m_history(history)
{
    if (m_history.m_depth++ == 0)
        m_history.m_stepLabel = label;
}

SettingsHistory::Step::~Step()
{
    if (--m_history.m_depth > 0 || m_history.m_applying)
        return;
    if (!(takeSnapshot(m_history.m_window) == m_history.m_current))
        m_history.record(m_history.m_stepLabel, -1);
}

QAction* SettingsHistory::createUndoAction(QObject* parent, bool withShortcuts)
{
    auto* action = new QAction(parent);
    auto update = [this, action] {
        const QString step = m_stack.undoText();
        action->setText(step.isEmpty() ? QStringLiteral("元に戻す(&U)") : QStringLiteral("元に戻す(&U): ") + step);
        action->setToolTip(action->text().remove(QStringLiteral("(&U)")).replace(QStringLiteral("&&"), QStringLiteral("&")));
        action->setEnabled(m_stack.canUndo());
    };
    update();
    connect(&m_stack, &QUndoStack::indexChanged, action, update);
    connect(&m_stack, &QUndoStack::cleanChanged, action, update);
    connect(action, &QAction::triggered, &m_stack, &QUndoStack::undo);
    if (withShortcuts)
        action->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    return action;
}

QAction* SettingsHistory::createRedoAction(QObject* parent, bool withShortcuts)
{
    auto* action = new QAction(parent);
    auto update = [this, action] {
        const QString step = m_stack.redoText();
        action->setText(step.isEmpty() ? QStringLiteral("やり直し(&R)") : QStringLiteral("やり直し(&R): ") + step);
        action->setToolTip(action->text().remove(QStringLiteral("(&R)")).replace(QStringLiteral("&&"), QStringLiteral("&")));
        action->setEnabled(m_stack.canRedo());
    };
    update();
    connect(&m_stack, &QUndoStack::indexChanged, action, update);
    connect(&m_stack, &QUndoStack::cleanChanged, action, update);
    connect(action, &QAction::triggered, &m_stack, &QUndoStack::redo);
    if (withShortcuts)
        action->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    return action;
}

bool SettingsHistory::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
        // The end of a drag, or the start of another gesture.
        endRun();
        break;
    case QEvent::ShortcutOverride: {
        // The text boxes would take the keys for their own undo, which knows nothing of the
        // other settings: the window's steps include their typing.
        const auto& boxes = m_window.Text2;
        if (watched != m_window.Text1[0] && std::find(boxes.begin(), boxes.end(), watched) == boxes.end())
            break;
        const QKeyCombination key = static_cast<QKeyEvent*>(event)->keyCombination();
        const QKeySequence pressed(key);
        if (pressed == QKeySequence(Qt::CTRL | Qt::Key_Z) || pressed == QKeySequence(Qt::CTRL | Qt::Key_Y) ||
            pressed == QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)) {
            event->ignore();
            return true;
        }
        break;
    }
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace kalvetra
