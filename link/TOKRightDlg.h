#pragma once

#include <QDialog>

class QFrame;
class QPushButton;
class QRadioButton;

namespace zorvane {

// The port dialog "Choose port". Only CancelPressed tells what the user decided: OK and the
// close box both go on with the chosen port.
class TOKRightDlg : public QDialog {
    Q_OBJECT

  public:
    explicit TOKRightDlg(QWidget* parent = nullptr);

    void FormCreate();
    void COM1Click();
    void COM2Click();
    void COM3Click();
    void COM4Click();
    void CancelBtnClick();

    QFrame* Bevel1;
    QPushButton* OKBtn;
    QPushButton* CancelBtn;
    QRadioButton* COM1;
    QRadioButton* COM2;
    QRadioButton* COM3;
    QRadioButton* COM4;

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    QRadioButton* AddPort(int number, int top, void (TOKRightDlg::*onClick)());
    void CentreOnScreen();
};

}  // namespace zorvane
