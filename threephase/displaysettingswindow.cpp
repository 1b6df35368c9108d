#include "threephase/displaysettingswindow.h"

#include "ui/fieldform.h"
#include "ui/messagebox.h"
#include "threephase/display.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QVBoxLayout>
#include "threephase/settingsblocks.h"
#include "ui/settingsfile.h"

namespace threephase {

namespace disp = threephase::display;

namespace {
// An upload without an answer fails after this long.
constexpr int kUploadTimeoutMs = 3000;
} // namespace

DisplaySettingsWindow::DisplaySettingsWindow(SerialLink &link, QWidget *parent)
    : SettingsWindow(link, Family::ThreePhase, "threephase::DisplaySettingsWindow", {disp::kFirstRegister, disp::kRegisters},
                     {QT_TRANSLATE_NOOP("kz", "参数下载成功！！"), QT_TRANSLATE_NOOP("kz", "数据上载成功！！！"),
                      QT_TRANSLATE_NOOP("kz", "数据上载失败！！！")},
                     parent)
{
    form_ = new FieldForm(this, disp::kFields);
    QList<QWidget *> tabOrder;

    // One column per display window: its quantity, its interval and the
    // boxes of the quantities it leaves out of its cycle.
    const QString maskTitles[] = {QStringLiteral(QT_TRANSLATE_NOOP("kz", "上窗口显示屏蔽选择")), QStringLiteral(QT_TRANSLATE_NOOP("kz", "中窗口显示屏蔽选择")),
                                  QStringLiteral(QT_TRANSLATE_NOOP("kz", "下窗口显示屏蔽选择"))};
    auto *windows = new QHBoxLayout;
    int box = disp::kFirstBox;
    for (int w = 0; w < 3; ++w) {
        const int combo = w;
        const int interval = 3 + w; // SpinEdit4, SpinEdit3, SpinEdit2
        auto *column = new QGridLayout;
        form_->AddToGrid(column, combo, 0, 0);
        form_->Control(combo)->setToolTip(QStringLiteral(QT_TRANSLATE_NOOP("kz", "设置非循环测量时，下面的屏蔽参数无效！")));
        form_->AddToGrid(column, interval, 1, 0);
        column->addWidget(new QLabel(QStringLiteral(QT_TRANSLATE_NOOP("kz", "秒")), this), 1, 2);
        auto *masks = new QGroupBox(maskTitles[w], this);
        masks->setObjectName(QStringLiteral("GroupBox%1").arg(w + 1));
        auto *grid = new QGridLayout(masks);
        const int rows = disp::kWindowBoxes[w] > 12 ? 12 : disp::kWindowBoxes[w];
        tabOrder << form_->Control(combo) << form_->Control(interval);
        for (int k = 0; k < disp::kWindowBoxes[w]; ++k, ++box) {
            grid->addWidget(form_->Control(box), k % rows, k / rows);
            tabOrder << form_->Control(box);
        }
        column->addWidget(masks, 2, 0, 1, 3);
        column->setRowStretch(3, 1);
        windows->addLayout(column);
    }

    const int edit1 = form_->IndexOf("Edit1");
    form_->Control(edit1)->setMaximumWidth(120);
    auto *energy = MakeRow({form_->Label(edit1), form_->Control(edit1), new QLabel(QStringLiteral(QT_TRANSLATE_NOOP("kz", "秒")), this),
                            nullptr});
    tabOrder << form_->Control(edit1);

    QLabel *addressLabel = nullptr;
    QSpinBox *address = MakeAddressSpin("SpinEdit1", QStringLiteral(QT_TRANSLATE_NOOP("kz", "仪表地址：")), &addressLabel, 0);
    address->setToolTip(QStringLiteral(QT_TRANSLATE_NOOP("kz", "最大地址值为247")));
    tabOrder << address;
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(addressLabel);
    buttons->addWidget(address);
    buttons->addStretch();
    QPushButton *const made[] = {
        MakeButton("BitBtn1", QStringLiteral(QT_TRANSLATE_NOOP("kz", "上  载")), [this] { upload(); }),
        MakeButton("BitBtn2", QStringLiteral(QT_TRANSLATE_NOOP("kz", "下  载")), [this] { download(); }),
        MakeButton("BitBtn4", QStringLiteral(QT_TRANSLATE_NOOP("kz", "全 选")), [this] { form_->SetValues(disp::AllBoxes(true)); }),
        MakeButton("BitBtn5", QStringLiteral(QT_TRANSLATE_NOOP("kz", "全 清")), [this] { form_->SetValues(disp::AllBoxes(false)); }),
        MakeButton("BitBtn6", QStringLiteral(QT_TRANSLATE_NOOP("kz", "出厂值设置")),
                   [this] { form_->SetValues(fields::FactoryValues(disp::kFields)); }),
        MakeButton("BitBtn3", QStringLiteral(QT_TRANSLATE_NOOP("kz", "返  回")), [this] { CloseWindow(); }),
    };
    for (QPushButton *button : made) {
        buttons->addWidget(button);
        tabOrder << button;
    }
    for (qsizetype i = 1; i < tabOrder.size(); ++i)
        QWidget::setTabOrder(tabOrder[i - 1], tabOrder[i]);

    status_ = new QStatusBar(this);
    status_->setObjectName(QStringLiteral("StatusBar1"));
    status_->setSizeGripEnabled(false);
    // The status line is read by its message; a new message renames it,
    // which assistive technology announces.
    const auto nameStatus = [this](const QString &message) {
        status_->setAccessibleName(message.isEmpty() ? QStringLiteral(QT_TRANSLATE_NOOP("kz", "上载结果"))
                                                     : QStringLiteral(QT_TRANSLATE_NOOP("kz", "上载结果：")) + message);
    };
    nameStatus(QString());
    connect(status_, &QStatusBar::messageChanged, this, nameStatus);

    auto *main = MakeColumn({MakeHeading(QStringLiteral("KZ5500E"), QStringLiteral(QT_TRANSLATE_NOOP("kz", "电参数测试仪"))), windows, energy,
                             buttons, new QLabel(QStringLiteral(QT_TRANSLATE_NOOP("kz", "注：(显示时间间隔最大值不大于99秒；")), this)});
    main->addWidget(new QLabel(QStringLiteral(QT_TRANSLATE_NOOP("kz", "有功电能计量定时值不大于9999秒。)")), this));
    main->addWidget(status_);

    form_->SetValues(disp::ResetValues(false));
    // Only what the instrument answers stays on screen; the status line
    // tells how the upload went.
    UseForm({form_, disp::ResetValues(true)});
    Entry &entry = EntryAt(0);
    entry.beforeSend = [this] { status_->clearMessage(); };
    entry.tellUpload = [this](const QString &text) { status_->showMessage(text); };
    entry.uploadTimeoutMs = kUploadTimeoutMs;
    UseFiles(&threephase::SettingsCatalog, {QStringLiteral("display")});
}

void DisplaySettingsWindow::onShow()
{
    form_->SetValues(disp::ResetValues(false));
}

} // namespace threephase
