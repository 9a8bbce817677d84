// The digital-input page: trigger edge and data latch of the four 16-channel groups of
// the template being edited, one pair of radio buttons per setting.
#pragma once

#include "dialogs/resource.h"
#include "platform/Dialog.h"

namespace dialogs {

class TemplateDialog;

class DiPage : public ui::Dialog {
public:
    explicit DiPage(TemplateDialog* owner);
    ~DiPage() override;

    // Shows the owner's current record.
    void Refresh();
    void OnTriggerClick(const ui::Event& event);
    void OnLatchClick(const ui::Event& event);

    TemplateDialog* Owner;

protected:
    bool ProcessMessage(const ui::Event& event) override;
    int OnInitDialog() override;

private:
    void ApplyClick(int id);
};

inline constexpr ui::MessageRoute<DiPage> DiPageRoutes[] = {
    {WM_COMMAND, BN_CLICKED, IDC_TRIGGER_CH0_RISING, IDC_TRIGGER_CH48_FALLING,
     &DiPage::OnTriggerClick},
    {WM_COMMAND, BN_CLICKED, IDC_LATCH_CH0_ENABLE, IDC_LATCH_CH48_DISABLE, &DiPage::OnLatchClick},
};

} // namespace dialogs
