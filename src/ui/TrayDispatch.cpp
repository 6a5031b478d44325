#include "ui/TrayDispatch.h"

#include "clock/frmMain.h"

void deliverTrayNotification(frmMain& form, int number) {
    const float x = static_cast<float>(number * kTwipsPerPixel);
    if (number >= 0 && number < kWindowWidthPx)
        form.bg_MouseMove(kLeftButton, x, 0.0f);
    else
        form.Form_MouseMove(kLeftButton, x, 0.0f);
}
