// Until the skinned settings dialog exists, /c shows this empty modal window
// under the dialog's title, so the single-instance rules already hold.
#pragma once
#include "form_win32.h"

class SettingsStandIn : public forms::Form {
public:
    SettingsStandIn();

protected:
    void OnLoad() override;
};
