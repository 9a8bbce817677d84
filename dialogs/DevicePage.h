// The Device page: the model name, a description, the board picture and the BoardID
// (switch ID) choice of the template being edited.
#pragma once

#include <cstdint>

#include "dialogs/resource.h"
#include "platform/ComboBox.h"
#include "platform/Dialog.h"
#include "platform/Static.h"

namespace dialogs {

class TemplateDialog;

class DevicePage : public ui::Dialog {
public:
    explicit DevicePage(TemplateDialog* owner);
    ~DevicePage() override;

    // Shows the owner's current record.
    void Refresh();
    void OnBoardIdChange(const ui::Event& event);

    TemplateDialog* Owner;
    std::int32_t SelectedSwitchId = 0;
    ui::Static ModelText;
    ui::Static Description;
    ui::Static Picture;
    ui::ComboBox BoardId;

protected:
    bool ProcessMessage(const ui::Event& event) override;
    void BindControls() override;
    int OnInitDialog() override;
};

inline constexpr ui::MessageRoute<DevicePage> DevicePageRoutes[] = {
    {WM_COMMAND, CBN_SELCHANGE, IDC_BOARD_ID, IDC_BOARD_ID, &DevicePage::OnBoardIdChange},
};

} // namespace dialogs
