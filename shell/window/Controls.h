// The controls of the main window by their component names, as the page
// builders create them. Every control is a child of its page and carries its
// name as its Qt object name.
#pragma once

#include <array>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QTabWidget;
class QToolButton;
class QWidget;

namespace kelmora {

class Led;

struct Controls {
    QTabWidget* PageControl1 = nullptr;
    std::array<QWidget*, 5> TabSheets{}; // TabSheet1..TabSheet5

    // "Ovládání terminálu"
    QFrame* Terminaly1 = nullptr;
    QGroupBox* Selekt = nullptr;
    QButtonGroup* SelektItems = nullptr; // T1..T4 by id 0..3
    QLabel* Label29 = nullptr;
    QLineEdit* Edit1 = nullptr;
    QPushButton* BitBtn4 = nullptr;
    std::array<QToolButton*, 4> SpeedButtons{}; // SpeedButton1..4
    QProgressBar* ProgressBar1 = nullptr;
    Led* JvLED1 = nullptr;
    QPushButton* BitBtn1 = nullptr;
    QPushButton* BitBtn2 = nullptr;
    QPushButton* BitBtn3 = nullptr;
    QLabel* Label17 = nullptr;
    QListWidget* Memo1 = nullptr;

    // "Konfigurace terminálů"
    std::array<QGroupBox*, 4> GroupBoxes{};
    std::array<QLineEdit*, 4> Adr{};
    std::array<QComboBox*, 4> Port{};
    std::array<QCheckBox*, 4> Pripojen{};
    QComboBox* K_Baud1 = nullptr;
    QCheckBox* Mark1 = nullptr;
    QCheckBox* CCode1 = nullptr;
    QCheckBox* DT_use1 = nullptr;
    QCheckBox* Kredit1 = nullptr;
    QLineEdit* Radku1 = nullptr;
    QLineEdit* MxSn1 = nullptr;
    QLineEdit* MxVec1 = nullptr;
    QPushButton* BitBtn5 = nullptr;

    // "Servisní nastavení"
    QComboBox* Rep_write = nullptr;
    QCheckBox* Write_error_repeat = nullptr;
    QCheckBox* Priority_set = nullptr;
    QComboBox* Delay_add = nullptr;
    QLineEdit* InSoubor = nullptr;
    QLineEdit* OutSoubor = nullptr;
    QLineEdit* Path_data = nullptr;
    QCheckBox* Write_bin_output = nullptr;
    QLineEdit* Edit2 = nullptr;
    QLineEdit* Edit3 = nullptr;
    QPushButton* BitBtn6 = nullptr;
    QPushButton* BitBtn7 = nullptr;
    QPushButton* BitBtn8 = nullptr;

    // "O programu"
    QLabel* Label30 = nullptr;
    QLabel* Label26 = nullptr;
    QWidget* Image2 = nullptr;

    // "Chybová hlášení"
    QPlainTextEdit* Memo2 = nullptr;
    QPushButton* JvXPButton5 = nullptr;
    QPushButton* JvXPButton6 = nullptr;
};

// The page builders; each makes its page with every control named.
QWidget* BuildControlPage(Controls& ui);
QWidget* BuildTerminalConfigPage(Controls& ui);
QWidget* BuildServicePage(Controls& ui);
QWidget* BuildAboutPage(Controls& ui);
QWidget* BuildEventLogPage(Controls& ui);

} // namespace kelmora
