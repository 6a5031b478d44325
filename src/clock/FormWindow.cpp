#include "clock/FormWindow.h"

#include "clock/frmMain.h"
#include "log/Log.h"

using face::Control;

FormWindow::FormWindow(frmMain& form) : m_form(form) {}

ControlView FormWindow::current(Control control) const {
    const face::ControlRow& row = face::rowOf(control);
    ControlView view;
    if (row.label) {
        const Label& label = m_form.*row.label;
        view.visible = label.Visible;
        view.caption = label.Caption;
        view.fontName = label.FontName;
        view.bold = label.FontBold;
    } else if (row.picture) {
        const PictureControl& picture = m_form.*row.picture;
        view.visible = picture.Visible;
        view.picture = picture.Picture;
    }
    return view;
}

bool FormWindow::visible(Control control) const {
    return current(control).visible;
}

const ControlView& FormWindow::view(Control control) const {
    return m_shown[static_cast<size_t>(control)];
}

Changes FormWindow::changes() {
    Changes result;
    for (const face::ControlRow& row : face::controls()) {
        ControlView now = current(row.id);
        ControlView& shown = m_shown[static_cast<size_t>(row.id)];
        if (now == shown) continue;
        shown = std::move(now);
        result.controls.set(static_cast<size_t>(row.id));
    }
    if (m_form.blnAlarm && !m_ringing) result.alert = ringingAlert();
    m_ringing = m_form.blnAlarm;
    m_form.noteRestartLine();
    return result;
}

Changes FormWindow::run(const std::function<void()>& handler) {
    handler();
    return changes();
}

Changes FormWindow::load() {
    m_form.Form_Load();
    return changes();
}

Changes FormWindow::tick() {
    if (!m_form.tmrTime.Enabled) return changes();
    m_form.tmrTime_Timer();
    logDebug(LogCategory::ui, stateLine());
    return changes();
}

std::optional<Instant> FormWindow::nextDue() {
    return m_form.nextDue();
}

Changes FormWindow::timersDue() {
    if (m_form.timersDue()) logDebug(LogCategory::ui, stateLine());
    return changes();
}

Changes FormWindow::mouseDown(int x, int y, int button) {
    const Control under = face::controlAt(x, y, [this](Control c) { return visible(c); });
    if (m_pointer.press(under)) m_form.bg_MouseDown(button, face::twipsOf(x), face::twipsOf(y));
    return changes();
}

Changes FormWindow::mouseMove(int x, int y, int heldButtons) {
    const Control under = face::controlAt(x, y, [this](Control c) { return visible(c); });
    if (m_pointer.dragging() || under == Control::bg)
        m_form.bg_MouseMove(heldButtons, face::twipsOf(x), face::twipsOf(y));
    else
        m_form.Form_MouseMove(heldButtons, face::twipsOf(x), face::twipsOf(y));
    return changes();
}

Changes FormWindow::mouseUp(int x, int y, int button) {
    const Control under = face::controlAt(x, y, [this](Control c) { return visible(c); });
    const face::Pointer::Release release = m_pointer.release(under, button);
    if (release.endsDrag) {
        m_form.bg_MouseUp(button, face::twipsOf(x), face::twipsOf(y));
        // The background's release over the window is also its click.
        if (face::rowOf(Control::bg).rect.contains(x, y)) m_form.bg_Click();
    }
    if (release.click) click(*release.click);
    return changes();
}

void FormWindow::click(Control control) {
    if (const auto handler = face::rowOf(control).click) (m_form.*handler)();
}

std::optional<Changes> FormWindow::key(const keyboard::KeyPress& press) {
    const keyboard::Response response = keyboard::respond(press, m_focused);
    if (!response.handled) return std::nullopt;
    m_keyUsed = true;
    if (response.focus) m_focused = *response.focus;
    if (response.click) click(*response.click);
    return changes();
}

Changes FormWindow::activate(Control control) {
    click(control);
    return changes();
}

void FormWindow::setFocused(Control control) {
    if (face::rowOf(control).pressable()) m_focused = control;
}

void FormWindow::shown() {
    m_focused = keyboard::focusOrder().front();
}

std::optional<face::Rect> FormWindow::focusMark(bool windowHasKeyboard) const {
    if (!m_keyUsed || !windowHasKeyboard) return std::nullopt;
    return face::rowOf(m_focused).rect;
}

accessible::Description FormWindow::describe(Control control) const {
    const face::ControlRow& row = face::rowOf(control);
    const std::string& lang = m_form.strLang;
    accessible::Description d;
    d.role = row.said.role;
    if (d.role == accessible::Role::None) return d;
    d.name = row.said.name.in(lang);
    d.tooltip = row.said.tip.in(lang);
    if (row.label && d.role == accessible::Role::Label) d.text = (m_form.*row.label).Caption;
    if (row.said.adjust) row.said.adjust(d, m_form);
    if (row.pressable()) {
        d.pressable = true;
        d.shortcut = accessible::keyText(row.key, lang);
        if (!d.shortcut.empty()) d.tooltip += " (" + d.shortcut + ")";
        d.action = accessible::pressAction(lang);
    }
    return d;
}

std::string FormWindow::ringingAlert() const {
    return m_form.blnAlarm ? accessible::ringingAlert(m_form.strLang, m_form.lblAlarm.Caption)
                           : std::string();
}

Changes FormWindow::mouseLost() {
    // A drag whose release will never come ends here, so the window stops
    // following the pointer; the return home applies as after a release.
    if (m_pointer.lose()) m_form.bg_MouseUp(0, 0.0f, 0.0f);
    return changes();
}

Changes FormWindow::trayNotification(int number) {
    m_form.SysTray_Notification(number);
    return changes();
}

Changes FormWindow::trayChanged() {
    m_form.trayChanged();
    return changes();
}

Changes FormWindow::sessionQuery() {
    m_form.lendMuteBack();
    return changes();
}

Changes FormWindow::sessionEnd(bool ending) {
    if (ending) return unload();
    m_form.takeMuteAgain();
    return changes();
}

Changes FormWindow::unload() {
    m_form.Form_Unload();
    return changes();
}

std::string FormWindow::stateLine() const {
    return "lblTime \"" + m_form.lblTime.Caption + "\" lblAMPM \"" + m_form.lblAMPM.Caption +
           "\" butOnOff " + m_form.butOnOff.Tag + " blnAlarm " +
           (m_form.blnAlarm ? "true" : "false");
}
