#include "shell/window/TForm1.h"

#include "engine/ConfigurationSave.h"
#include "shell/Guarded.h"
#include "shell/ProgramIdentity.h"
#include "shell/window/CommandFileDialog.h"
#include "shell/window/DirectoryDialog.h"
#include "shell/window/Icons.h"
#include "shell/window/Indicator.h"
#include "shell/window/MessageBoxes.h"
#include "shell/window/QtText.h"
#include "shell/window/StatusPanels.h"
#include "shell/window/Style.h"
#include "shell/window/Translations.h"
#include "shell/window/TrayIcon.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QFrame>
#include <QGroupBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSystemTrayIcon>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <exception>

namespace kelmora {

using namespace kelmora::literals;

namespace {

constexpr int kClientWidth = 600;
constexpr int kClientHeight = 400;
constexpr int kWatchdogMs = 10000;
constexpr int kDisplayMs = 1000;
// How often a hand-over held back by a running job, and a confirmed close
// waiting for the job's end, look again.
constexpr int kRetryMs = 50;
// How often the busy cursor of an ignored press looks whether the program is
// free again.
constexpr int kBusyWatchMs = 100;

constexpr std::string_view kQuickCommands[4] = {"O00", "O11", "S", "Y"};

// The event log as the page shows it: CR LF lines become the editor's lines.
QString LogPageText(const std::string& bytes) {
    QString text = QtFromCp(bytes);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return text;
}

void SelectEntry(QComboBox* list, int index) {
    list->setCurrentIndex(index >= 0 && index < list->count() ? index : -1);
}

} // namespace

TForm1::TForm1(EngineOptions engineOptions, WindowOptions options)
    : engineOptions_(std::move(engineOptions)), options_(std::move(options)) {
    setObjectName(QStringLiteral("Form1"));
    if (!options_.dialogs.message) {
        options_.dialogs.message = ShowMessageBox;
    }
    if (!options_.dialogs.openCommandFile) {
        options_.dialogs.openCommandFile = ShowOpenDialog1;
    }
    if (!options_.dialogs.chooseDirectory) {
        options_.dialogs.chooseDirectory = [ask = options_.dialogs.message](QWidget* owner,
                                                                            const QString& start) {
            return DirectoryDialog::Choose(owner, start, ask);
        };
    }
    if (!options_.quit) {
        options_.quit = [] { QCoreApplication::exit(0); };
    }
    BuildWindow();
    ConnectHandlers();
    timer2_->start();
    StartEngine();
}

TForm1::~TForm1() {
    FormDestroy();
    life_.reset();
}

void TForm1::BuildWindow() {
    setWindowTitle(QtFromCp(kWindowCaption));
    setWindowIcon(TrayImage(0));
    // A fixed dialog frame: window managers offer no maximize or minimize
    // button on a dialog whose smallest and largest size are the same.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                   Qt::WindowContextHelpButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(kClientWidth, kClientHeight);

    auto* tabs = new QTabWidget;
    tabs->setObjectName(QStringLiteral("PageControl1"));
    tabs->setIconSize(QSize(24, 24));
    tabs->setUsesScrollButtons(false);
    tabs->tabBar()->setFont(TabFont());
    ui_.PageControl1 = tabs;
    const std::array<QString, 5> titles{
        QStringLiteral("Ovládání terminálu"), QStringLiteral("Konfigurace terminálů"),
        QStringLiteral("Servisní nastavení"), QStringLiteral("O programu"),
        QStringLiteral("Chybová hlášení")};
    const std::array<QWidget*, 5> pages{BuildControlPage(ui_), BuildTerminalConfigPage(ui_),
                                        BuildServicePage(ui_), BuildAboutPage(ui_),
                                        BuildEventLogPage(ui_)};
    for (int i = 0; i < 5; ++i) {
        tabs->addTab(pages[i], TabIcon(i), titles[i]);
        ui_.TabSheets[i] = pages[i];
    }
    tabs->setTabVisible(4, false);
    tabs->setCurrentIndex(0);

    statusBar_ = new StatusPanels;
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 0);
    layout->setSpacing(2);
    layout->addWidget(tabs, 1);
    layout->addWidget(statusBar_);

    for (int slot = 0; slot < 4; ++slot) {
        indicators_[slot] = std::make_unique<Indicator>(
            ui_.Terminaly1, slot, [this, slot] { TerminalIndicatorClick(slot); });
    }

    tray_ = std::make_unique<TrayIcon>(this, TrayHandlers{[this] { Show_windowClick(); },
                                                          [this] { Hide_windowClick(); },
                                                          [this] { KonecClick(); }});

    timer1_ = new QTimer(this);
    timer1_->setObjectName(QStringLiteral("Timer1"));
    timer1_->setInterval(kWatchdogMs);
    timer2_ = new QTimer(this);
    timer2_->setObjectName(QStringLiteral("Timer2"));
    timer2_->setInterval(kDisplayMs);
    handOverRetry_ = new QTimer(this);
    handOverRetry_->setSingleShot(true);
    handOverRetry_->setInterval(kRetryMs);
    quitTimer_ = new QTimer(this);
    quitTimer_->setInterval(kRetryMs);
    busyWatch_ = new QTimer(this);
    busyWatch_->setInterval(kBusyWatchMs);

    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - QPoint(kClientWidth / 2, kClientHeight / 2));
    }
}

void TForm1::ConnectHandlers() {
    connect(ui_.BitBtn4, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(ui_.Edit1, &QLineEdit::textChanged, this, [this] { Edit1Change(); });
    for (int i = 0; i < 4; ++i) {
        connect(ui_.SpeedButtons[i], &QToolButton::clicked, this,
                [this, i] { SpeedButtonClick(i); });
    }
    connect(ui_.BitBtn1, &QPushButton::clicked, this, [this] { Button33Click(); });
    connect(ui_.BitBtn2, &QPushButton::clicked, this, [this] { Hide_windowClick(); });
    connect(ui_.BitBtn3, &QPushButton::clicked, this, [this] { BitBtn3Click(); });
    connect(ui_.BitBtn5, &QPushButton::clicked, this, [this] { BitBtn1Click(); });
    connect(ui_.BitBtn8, &QPushButton::clicked, this, [this] { BitBtn1Click(); });
    connect(ui_.BitBtn6, &QPushButton::clicked, this, [this] { Button4Click(); });
    connect(ui_.BitBtn7, &QPushButton::clicked, this, [this] { Button2Click(); });
    connect(ui_.JvXPButton5, &QPushButton::clicked, this, [this] { BitBtn2Click(); });
    connect(ui_.JvXPButton6, &QPushButton::clicked, this, [this] { BitBtn5Click(); });
    connect(ui_.Delay_add, &QComboBox::currentIndexChanged, this, [this] { Delay_addChange(); });
    ui_.Path_data->installEventFilter(this);
    ui_.TabSheets[1]->installEventFilter(this);
    ui_.TabSheets[2]->installEventFilter(this);

    connect(timer1_, &QTimer::timeout, this, [this] { Timer1Timer(); });
    connect(timer2_, &QTimer::timeout, this, [this] { Timer2Timer(); });
    connect(handOverRetry_, &QTimer::timeout, this, [this] { RunHandOvers(); });
    connect(busyWatch_, &QTimer::timeout, this, [this] {
        if (!ProgramBusy()) {
            busyWatch_->stop();
            unsetCursor();
        }
    });
    connect(quitTimer_, &QTimer::timeout, this, [this] {
        if (!engine_->Busy() && eventDepth_ == 0) {
            quitTimer_->stop();
            options_.quit();
        }
    });
}

void TForm1::StartEngine() {
    life_ = std::make_unique<LifeCycle>(*this, *this, engineOptions_, options_.lifeCycle);
    engine_ = &life_->GetEngine();
    life_->Construct();
}

void TForm1::FormCreate() {
    if (life_->Created() || destroyed_) {
        return;
    }
    life_->Create();
    if (!TrayAvailable() && !isVisible()) {
        ShowWindow();
    }
    if (!QtSpeaksCzech()) {
        engine_->Log().LogEvent(MissingTranslationMessage());
    }
}

void TForm1::FormDestroy() {
    if (destroyed_) {
        return;
    }
    destroyed_ = true;
    quitTimer_->stop();
    handOverRetry_->stop();
    busyWatch_->stop();
    if (life_) {
        life_->Destroy();
    }
    timer2_->stop();
    tray_->Hide();
}

void TForm1::FillConfigurationPages(const Configuration&) {
    FillConfigurationPages();
}

std::string TForm1::RequestFileName() const {
    return CpFromQt(ui_.InSoubor->text());
}

void TForm1::EnableWatchdog(bool enabled) {
    if (enabled) {
        timer1_->start();
    } else {
        timer1_->stop();
    }
}

void TForm1::WakeForHandOver() {
    // The watcher's thread queues a call on this window's thread.
    QMetaObject::invokeMethod(
        this, [this] { RunHandOvers(); }, Qt::QueuedConnection);
}

template <typename Handler>
void TForm1::Guarded(Handler&& handler) {
    RunGuarded(handler, [this](std::string_view text) { ShowError(text); });
    if (engine_ && engine_->HandOvers().HasPending() && !handOverRetry_->isActive()) {
        handOverRetry_->start();
    }
}

void TForm1::ShowError(std::string_view text) {
    Ask(isVisible() ? this : nullptr, {text, {}, MessageIcon::Error, MessageButtons::Ok});
}

MessageAnswer TForm1::Ask(QWidget* owner, const MessageBox& box) {
    return options_.dialogs.message(owner, box);
}

void TForm1::RunHandOvers() {
    if (destroyed_) {
        return;
    }
    Guarded([this] { engine_->RunHandOvers(); });
}

void TForm1::RequestQuit() {
    if (!destroyed_ && !engine_->Flags().Stopping) {
        QuitWhenIdle();
    }
}

void TForm1::QuitWhenIdle() {
    quitRequested_ = true;
    quitTimer_->start();
}

// --- the window and the notification area ---

void TForm1::Show_windowClick() {
    Guarded([this] {
        ShowWindow();
        FormActivate();
    });
}

bool TForm1::TrayAvailable() const {
    return options_.trayAvailable.value_or(QSystemTrayIcon::isSystemTrayAvailable());
}

void TForm1::Hide_windowClick() {
    Guarded([this] {
        if (TrayAvailable()) {
            hide();
            return;
        }
        // Nothing would bring a hidden window back, and a minimized one is
        // lost where the desktop has no task bar: the window stays.
        ShowWindow();
        statusBar_->ShowNote(
            QStringLiteral("Bez oznamovací oblasti nelze program schovat, okno zůstává otevřené."));
    });
}

void TForm1::KonecClick() {
    close();
}

void TForm1::BitBtn3Click() {
    close();
}

void TForm1::Edit1Change() {
    if (!ui_.BitBtn4->isDefault()) {
        ui_.BitBtn4->setDefault(true);
    }
}

void TForm1::FormActivate() {
    ui_.PageControl1->setCurrentIndex(0);
}

bool TForm1::FormClose() {
    if (engine_->Flags().Stopping) {
        return false;
    }
    if (quitRequested_) {
        return true;
    }
    const MessageAnswer answer =
        Ask(nullptr, {"Opravdu si přeješ ukončit program?\nKomunikace bude ukončena!"_cp, "Pozor!",
                      MessageIcon::Question, MessageButtons::YesNo});
    if (answer != MessageAnswer::Yes) {
        return false;
    }
    QuitWhenIdle();
    return true;
}

void TForm1::closeEvent(QCloseEvent* event) {
    bool accept = false;
    Guarded([&] { accept = FormClose(); });
    if (accept) {
        event->accept();
    } else {
        event->ignore();
    }
}

void TForm1::keyPressEvent(QKeyEvent* event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && ui_.BitBtn4->isDefault() && ui_.BitBtn4->isEnabled()) {
        ui_.BitBtn4->click();
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void TForm1::hideEvent(QHideEvent* event) {
    backFromHidden_ = true;
    QWidget::hideEvent(event);
}

void TForm1::changeEvent(QEvent* event) {
    if (event->type() == QEvent::WindowStateChange && isMinimized()) {
        backFromHidden_ = true;
    }
    QWidget::changeEvent(event);
}

bool TForm1::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate && backFromHidden_) {
        backFromHidden_ = false;
        FormActivate();
    }
    return QWidget::event(event);
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ui_.Path_data && event->type() == QEvent::MouseButtonDblClick) {
        Path_dataDblClick();
        return true;
    }
    if ((watched == ui_.TabSheets[1] || watched == ui_.TabSheets[2]) &&
        event->type() == QEvent::ContextMenu) {
        tray_->Menu()->popup(static_cast<QContextMenuEvent*>(event)->globalPos());
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

// --- jobs ---

bool TForm1::ProgramBusy() const {
    return engine_->Busy() || engine_->Flags().WatcherBusy;
}

void TForm1::TellIgnored(bool takenUp) {
    if (takenUp) {
        return;
    }
    statusBar_->ShowNote(
        engine_->Busy() ? QStringLiteral("Probíhá jiná úloha, tlačítko nic nespustilo. "
                                         "Zkuste to po jejím skončení.")
                        : QStringLiteral("Program právě kontroluje soubor požadavků, tlačítko nic "
                                         "nespustilo. Zkuste to znovu."));
    setCursor(Qt::BusyCursor);
    busyWatch_->start();
}

void TForm1::Button1Click() {
    Guarded([this] { TellIgnored(engine_->Button1Click(CpFromQt(ui_.Edit1->text()))); });
}

void TForm1::SpeedButtonClick(int index) {
    Guarded([this, index] {
        if (index >= 0 && index < 4) {
            TellIgnored(engine_->SendQuickCommand(kQuickCommands[index]));
        }
    });
}

void TForm1::Button33Click() {
    Guarded([this] {
        TellIgnored(
            engine_->Button33Click([this] { return options_.dialogs.openCommandFile(this); }));
    });
}

void TForm1::Button4Click() {
    Guarded([this] { TellIgnored(engine_->Button4Click()); });
}

void TForm1::TerminalIndicatorClick(int slot) {
    Guarded([this, slot] { engine_->TerminalIndicatorClick(slot); });
}

void TForm1::Timer1Timer() {
    Guarded([this] { life_->WatchdogTick(); });
}

void TForm1::Timer2Timer() {
    Guarded([this] { life_->DisplayTick(); });
}

// --- the configuration ---

void TForm1::FillConfigurationPages() {
    const Configuration& config = engine_->Config();
    const CfgRecord& record = config.Record;

    ui_.Write_error_repeat->setChecked(config.EndJobOnFailure);
    ui_.Path_data->setText(QtFromCp(config.DataPath));
    ui_.Write_bin_output->setChecked(config.BinaryOutput);

    ui_.Delay_add->clear();
    for (int i = 0; i < kDelayAddEntries; ++i) {
        ui_.Delay_add->addItem(QString::number(4 * i));
    }
    for (int panel : {1, 3, 5, 7}) {
        statusBar_->SetText(panel, QString());
    }
    for (int i = 0; i < 4; ++i) {
        ui_.Port[i]->clear();
        for (int com = 1; com <= int(kComPortCount); ++com) {
            ui_.Port[i]->addItem(QStringLiteral("COM%1").arg(com));
        }
        ui_.Adr[i]->setText(QString::number(record.Slots[i].Address));
        SelectEntry(ui_.Port[i], record.Slots[i].ComIndex);
        ui_.Pripojen[i]->setChecked(record.Slots[i].Connected != 0);
    }
    SelectEntry(ui_.K_Baud1, record.BaudIndex);
    ui_.Mark1->setChecked(config.MarkParity);
    ui_.CCode1->setChecked(record.Coding != 0);
    ui_.DT_use1->setChecked(record.DtUse != 0);
    ui_.Kredit1->setChecked(record.Credit != 0);
    ui_.Radku1->setText(QString::number(record.Capacity));
    ui_.MxSn1->setText(QString::number(record.MaxBreakfasts));
    ui_.MxVec1->setText(QString::number(record.MaxDinners));
    ui_.InSoubor->setText(QtFromCp(NameText(record.RequestFile)));
    ui_.OutSoubor->setText(QtFromCp(NameText(record.OutputFile)));
    SelectEntry(ui_.Rep_write, record.RepWriteIndex);
    SelectEntry(ui_.Delay_add, record.DelayAddIndex);
    engine_->Delay_addChange(ui_.Delay_add->currentIndex());
    ui_.Priority_set->setChecked(record.HighPriority != 0);
    ui_.Edit2->setText(QString::number(config.LineLeadUs));
    ui_.Edit3->setText(QString::number(config.LineTailUs));
    ui_.Label26->setText(QtFromCp(BuildDateLabel()));
}

void TForm1::BitBtn1Click() {
    Guarded([this] {
        EnteredConfiguration entered;
        for (int i = 0; i < 4; ++i) {
            entered.AddressTexts[i] = CpFromQt(ui_.Adr[i]->text());
            entered.PortIndexes[i] = ui_.Port[i]->currentIndex();
            entered.Connected[i] = ui_.Pripojen[i]->isChecked();
        }
        entered.BaudIndex = ui_.K_Baud1->currentIndex();
        entered.Coding = ui_.CCode1->isChecked();
        entered.DtUse = ui_.DT_use1->isChecked();
        entered.Credit = ui_.Kredit1->isChecked();
        entered.CapacityText = CpFromQt(ui_.Radku1->text());
        entered.MaxBreakfastsText = CpFromQt(ui_.MxSn1->text());
        entered.MaxDinnersText = CpFromQt(ui_.MxVec1->text());
        entered.RequestFile = CpFromQt(ui_.InSoubor->text());
        entered.OutputFile = CpFromQt(ui_.OutSoubor->text());
        entered.RepWriteIndex = ui_.Rep_write->currentIndex();
        entered.HighPriority = ui_.Priority_set->isChecked();
        entered.DelayAddIndex = ui_.Delay_add->currentIndex();
        entered.MarkParity = ui_.Mark1->isChecked();
        entered.EndJobOnFailure = ui_.Write_error_repeat->isChecked();
        entered.DataPath = CpFromQt(ui_.Path_data->text());
        entered.BinaryOutput = ui_.Write_bin_output->isChecked();
        if (engine_->SaveConfiguration(entered)) {
            close(); // the restart: a close request, confirmed as any other
        }
    });
}

void TForm1::Delay_addChange() {
    Guarded([this] { engine_->Delay_addChange(ui_.Delay_add->currentIndex()); });
}

void TForm1::Path_dataDblClick() {
    Guarded([this] {
        if (const auto chosen = options_.dialogs.chooseDirectory(this, ui_.Path_data->text())) {
            ui_.Path_data->setText(*chosen);
        }
    });
}

// --- the event-log page ---

void TForm1::Button2Click() {
    Guarded([this] {
        ui_.Memo2->clear();
        const std::optional<std::string> log = engine_->Log().Read();
        if (!log) {
            ShowError("Cannot open file \"" + engine_->Log().Path() + "\".");
            return;
        }
        ui_.Memo2->setPlainText(LogPageText(*log));
        ui_.Memo2->verticalScrollBar()->setValue(ui_.Memo2->verticalScrollBar()->maximum());
        ui_.PageControl1->setTabVisible(4, true);
        ui_.PageControl1->setCurrentIndex(4);
    });
}

void TForm1::BitBtn2Click() {
    Guarded([this] {
        ui_.PageControl1->setCurrentIndex(2);
        ui_.PageControl1->setTabVisible(4, false);
    });
}

void TForm1::BitBtn5Click() {
    Guarded([this] {
        ui_.Memo2->clear();
        if (!engine_->Log().Clear()) {
            ShowError("Cannot create file \"" + engine_->Log().Path() + "\".");
        }
    });
}

} // namespace kelmora
