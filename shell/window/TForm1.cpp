#include "shell/window/TForm1.h"

#include "shell/form/ControlTable.h"
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

#include <QAbstractButton>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
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
#include <QVBoxLayout>

namespace kelmora {

using form::ControlRow;
using form::Kind;

namespace {

QString NameOf(std::string_view name) {
    return QString::fromLatin1(name.data(), qsizetype(name.size()));
}

// The controls Enter means something to, or that must not take it for
// themselves (a line edit passes it on; a check box would ignore it).
bool TakesEnter(Kind kind) {
    return kind == Kind::Edit || kind == Kind::Button || kind == Kind::Quick ||
           kind == Kind::Check || kind == Kind::Combo || kind == Kind::Radio;
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
    form_ = std::make_unique<form::OperatorForm>(*this, *this, engineOptions_, options_.lifeCycle);
    ConnectHandlers();
    form_->Construct();
}

TForm1::~TForm1() {
    FormDestroy();
    form_.reset();
}

void TForm1::BuildWindow() {
    const ControlRow& window = form::RowOf("Form1");
    setWindowTitle(QtFromCp(window.caption));
    setWindowIcon(TrayImage(0));
    // A fixed dialog frame: window managers offer no maximize or minimize
    // button on a dialog whose smallest and largest size are the same.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                   Qt::WindowContextHelpButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(window.width, window.height);

    auto* tabs = new QTabWidget;
    tabs->setObjectName(QStringLiteral("PageControl1"));
    tabs->setIconSize(QSize(24, 24));
    tabs->setUsesScrollButtons(false);
    tabs->tabBar()->setFont(TabFont());
    ui_.PageControl1 = tabs;
    const std::array<QWidget*, 5> pages{BuildControlPage(ui_), BuildTerminalConfigPage(ui_),
                                        BuildServicePage(ui_), BuildAboutPage(ui_),
                                        BuildEventLogPage(ui_)};
    const std::vector<ControlRow> titles = form::RowsOfKind(Kind::Page);
    for (int i = 0; i < 5; ++i) {
        tabs->addTab(pages[i], TabIcon(i), QtFromCp(titles[i].caption));
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
            ui_.Terminaly1, slot, [this, slot] { form_->TerminalIndicatorClick(slot); });
    }
    tray_ =
        std::make_unique<TrayIcon>(this, [this](std::string_view entry) { form_->Press(entry); });

    for (int i = 0; i < form::kFormTimerCount; ++i) {
        timers_[i] = new QTimer(this);
        timers_[i]->setInterval(form::kFormTimerMs[i]);
    }
    Timer1()->setObjectName(QStringLiteral("Timer1"));
    Timer2()->setObjectName(QStringLiteral("Timer2"));

    for (const ControlRow& row : form::ControlTable()) {
        if (row.page != form::kNoPage) {
            if (auto* control = findChild<QWidget*>(NameOf(row.name))) {
                named_.emplace(row.name, control);
            }
        }
    }

    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - QPoint(window.width / 2, window.height / 2));
    }
}

void TForm1::ConnectHandlers() {
    for (const ControlRow& row : form::ControlTable()) {
        if (row.page == form::kNoPage) {
            continue;
        }
        QWidget* control = Control(row.name);
        if (row.kind == Kind::Button || row.kind == Kind::Quick) {
            connect(static_cast<QAbstractButton*>(control), &QAbstractButton::clicked, this,
                    [this, name = row.name] { form_->Press(name); });
        }
        if (TakesEnter(row.kind)) {
            control->installEventFilter(this);
        }
    }
    connect(ui_.Edit1, &QLineEdit::textChanged, this, [this] { form_->Edit1Change(); });
    connect(ui_.Delay_add, &QComboBox::currentIndexChanged, this,
            [this] { form_->Delay_addChange(); });
    ui_.TabSheets[1]->installEventFilter(this);
    ui_.TabSheets[2]->installEventFilter(this);
    for (int i = 0; i < form::kFormTimerCount; ++i) {
        connect(timers_[i], &QTimer::timeout, this,
                [this, i] { form_->OnTimer(static_cast<form::FormTimer>(i)); });
    }
}

void TForm1::FormCreate() {
    if (form_->FormCreate() && !QtSpeaksCzech()) {
        GetEngine().Log().LogEvent(MissingTranslationMessage());
    }
}

void TForm1::FormDestroy() {
    if (form_ && form_->FormDestroy()) {
        tray_->Hide();
    }
}

QWidget* TForm1::Control(std::string_view name) const {
    const auto it = named_.find(name);
    if (it == named_.end()) {
        throw std::out_of_range("no control " + std::string(name));
    }
    return it->second;
}

// --- the events ---

void TForm1::closeEvent(QCloseEvent* event) {
    if (form_->FormClose()) {
        event->accept();
    } else {
        event->ignore();
    }
}

void TForm1::hideEvent(QHideEvent* event) {
    form_->WindowHidden();
    QWidget::hideEvent(event);
}

void TForm1::changeEvent(QEvent* event) {
    if (event->type() == QEvent::WindowStateChange && isMinimized()) {
        form_->WindowHidden();
    }
    QWidget::changeEvent(event);
}

bool TForm1::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate) {
        form_->WindowActivated();
    }
    return QWidget::event(event);
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) &&
            form_->EnterPressed(watched->objectName().toStdString())) {
            return true;
        }
    }
    if (watched == ui_.Path_data && event->type() == QEvent::MouseButtonDblClick) {
        form_->Path_dataDblClick();
        return true;
    }
    if ((watched == ui_.TabSheets[1] || watched == ui_.TabSheets[2]) &&
        event->type() == QEvent::ContextMenu) {
        tray_->Menu()->popup(static_cast<QContextMenuEvent*>(event)->globalPos());
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

// --- FormView ---

std::string TForm1::Text(std::string_view control) const {
    QWidget* widget = Control(control);
    if (const auto* edit = qobject_cast<QLineEdit*>(widget)) {
        return CpFromQt(edit->text());
    }
    if (const auto* label = qobject_cast<QLabel*>(widget)) {
        return CpFromQt(label->text());
    }
    if (const auto* text = qobject_cast<QPlainTextEdit*>(widget)) {
        return CpFromQt(text->toPlainText().replace(QLatin1Char('\n'), QStringLiteral("\r\n")));
    }
    return {};
}

void TForm1::SetText(std::string_view control, std::string_view text) {
    QWidget* widget = Control(control);
    if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
        edit->setText(QtFromCp(text));
    } else if (auto* label = qobject_cast<QLabel*>(widget)) {
        label->setText(QtFromCp(text));
    } else if (auto* view = qobject_cast<QPlainTextEdit*>(widget)) {
        // CR LF lines become the editor's lines; the end shows.
        view->setPlainText(QtFromCp(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
        view->verticalScrollBar()->setValue(view->verticalScrollBar()->maximum());
    }
}

bool TForm1::Checked(std::string_view control) const {
    const auto* button = qobject_cast<QAbstractButton*>(Control(control));
    return button != nullptr && button->isChecked();
}

void TForm1::SetChecked(std::string_view control, bool checked) {
    if (auto* button = qobject_cast<QAbstractButton*>(Control(control))) {
        button->setChecked(checked);
    }
}

int TForm1::Selected(std::string_view control) const {
    const auto* list = qobject_cast<QComboBox*>(Control(control));
    return list != nullptr ? list->currentIndex() : -1;
}

void TForm1::Select(std::string_view control, int index) {
    if (auto* list = qobject_cast<QComboBox*>(Control(control))) {
        list->setCurrentIndex(index >= 0 && index < list->count() ? index : -1);
    }
}

void TForm1::ShowNote(std::string_view text) {
    statusBar_->ShowNote(QtFromCp(text));
}

void TForm1::ShowBusyPointer(bool busy) {
    if (busy) {
        setCursor(Qt::BusyCursor);
    } else {
        unsetCursor();
    }
}

MessageAnswer TForm1::Ask(bool owned, const MessageBox& box) {
    return options_.dialogs.message(owned ? this : nullptr, box);
}

bool TForm1::Shown() const {
    return isVisible();
}

bool TForm1::OnScreen() const {
    return isVisible() && !isMinimized();
}

void TForm1::HideWindow() {
    hide();
}

void TForm1::RequestClose() {
    close();
}

int TForm1::ActivePage() const {
    return ui_.PageControl1->currentIndex();
}

void TForm1::ShowPage(int page) {
    ui_.PageControl1->setCurrentIndex(page);
}

void TForm1::ShowEventLogTab(bool shown) {
    ui_.PageControl1->setTabVisible(4, shown);
}

void TForm1::ShowSendAsDefault() {
    ui_.BitBtn4->setDefault(true);
}

bool TForm1::TrayAvailable() const {
    return options_.trayAvailable.value_or(QSystemTrayIcon::isSystemTrayAvailable());
}

std::optional<std::string> TForm1::ChooseCommandFile() {
    return options_.dialogs.openCommandFile(this);
}

std::optional<std::string> TForm1::ChooseDirectory(std::string_view start) {
    if (const auto chosen = options_.dialogs.chooseDirectory(this, QtFromCp(start))) {
        return CpFromQt(*chosen);
    }
    return std::nullopt;
}

void TForm1::RunTimer(form::FormTimer timer, bool on) {
    QTimer* t = timers_[static_cast<int>(timer)];
    if (on) {
        t->start();
    } else {
        t->stop();
    }
}

void TForm1::WakeForHandOver() {
    // The watcher's thread queues a call on this window's thread.
    QMetaObject::invokeMethod(
        this, [this] { form_->RunHandOvers(); }, Qt::QueuedConnection);
}

void TForm1::Quit() {
    options_.quit();
}

} // namespace kelmora
