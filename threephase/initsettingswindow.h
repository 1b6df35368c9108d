#pragma once
// Initialisation settings of a three-phase instrument: wiring mode,
// transformer ratios and units, display units, reclosing delay, and the
// energy base values, each block uploaded and downloaded on its own.
#include "ui/familywindow.h"

class FieldForm;
class QLineEdit;

namespace threephase {

class InitSettingsWindow : public FamilyWindow {
    Q_OBJECT
public:
    explicit InitSettingsWindow(SerialLink &link, QWidget *parent = nullptr);

protected:
    void FormShow() override;

private:
    void BitBtn1Click(); // 出厂值设置
    void BitBtn2Click(); // settings 上载数据
    void BitBtn3Click(); // settings 下载数据
    void BitBtn4Click(); // energy base 上载数据
    void BitBtn5Click(); // energy base 下载数据
    void Form9_ButtonClick();

    FieldForm *form_ = nullptr;
    QLineEdit *activeBase_ = nullptr;   // LabeledEdit3
    QLineEdit *reactiveBase_ = nullptr; // LabeledEdit4
};

} // namespace threephase
