#include "clock/Keyboard.h"

void clickControl(frmMain& form, keyboard::Control control) {
    using keyboard::Control;
    switch (control) {
        case Control::OnOff:
            form.butOnOff_Click();
            break;
        case Control::Track:
            form.butTrack_Click();
            break;
        case Control::Settings:
            form.butSettings_Click();
            break;
        case Control::Minimize:
            form.lblMinimize_Click();
            break;
        case Control::Close:
            form.lblClose_Click();
            break;
    }
}

accessible::Description describePart(const frmMain& form, accessible::Part part) {
    const accessible::Shown shown{form.strLang,          form.armed(),
                                  form.lblTrack.Caption, form.lblTime.Caption,
                                  form.lblAMPM.Caption,  form.lblAlarm.Caption};
    return accessible::describe(part, shown);
}
