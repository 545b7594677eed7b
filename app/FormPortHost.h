#pragma once

#include "PortHost.h"
#include "TForm1.h"

namespace zorvane {

// Lets the port lifecycle reach the main window without link/ knowing about display/.
class FormPortHost final : public PortHost {
  public:
    explicit FormPortHost(TForm1& form) : form_(form) {}

    void SetPortSelectPending(bool pending) override { form_.SetPortSelectPending(pending); }
    void RestartTimer1() override { form_.RestartTimer1(); }
    void ShowFrame(const TRead& reader) override { form_.ShowFrame(reader); }
    QWidget* DialogParent() override { return &form_; }

  private:
    TForm1& form_;
};

}  // namespace zorvane
