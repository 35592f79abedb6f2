#include "shell/form/ConfigurationPages.h"

#include "shell/ProgramIdentity.h"

namespace kelmora::form {

std::string SlotControl(std::string_view prefix, int slot) {
    return std::string(prefix) + std::to_string(slot + 1);
}

void FillConfigurationPages(FormView& view, const Configuration& config) {
    const CfgRecord& record = config.Record;
    for (int i = 0; i < 4; ++i) {
        view.SetText(SlotControl("Adr", i), std::to_string(record.Slots[i].Address));
        view.Select(SlotControl("Port", i), record.Slots[i].ComIndex);
        view.SetChecked(SlotControl("Pripojen", i), record.Slots[i].Connected != 0);
    }
    view.Select("K_Baud1", record.BaudIndex);
    view.SetChecked("Mark1", config.MarkParity);
    view.SetChecked("CCode1", record.Coding != 0);
    view.SetChecked("DT_use1", record.DtUse != 0);
    view.SetChecked("Kredit1", record.Credit != 0);
    view.SetText("Radku1", std::to_string(record.Capacity));
    view.SetText("MxSn1", std::to_string(record.MaxBreakfasts));
    view.SetText("MxVec1", std::to_string(record.MaxDinners));

    view.Select("Rep_write", record.RepWriteIndex);
    view.SetChecked("Write_error_repeat", config.EndJobOnFailure);
    view.SetChecked("Priority_set", record.HighPriority != 0);
    view.Select("Delay_add", record.DelayAddIndex);
    view.SetText("InSoubor", NameText(record.RequestFile));
    view.SetText("OutSoubor", NameText(record.OutputFile));
    view.SetText("Path_data", config.DataPath);
    view.SetChecked("Write_bin_output", config.BinaryOutput);
    view.SetText("Edit2", std::to_string(config.LineLeadUs));
    view.SetText("Edit3", std::to_string(config.LineTailUs));

    view.SetText("Label26", BuildDateLabel());
}

EnteredConfiguration ReadConfigurationPages(const FormView& view) {
    EnteredConfiguration entered;
    for (int i = 0; i < 4; ++i) {
        entered.AddressTexts[i] = view.Text(SlotControl("Adr", i));
        entered.PortIndexes[i] = view.Selected(SlotControl("Port", i));
        entered.Connected[i] = view.Checked(SlotControl("Pripojen", i));
    }
    entered.BaudIndex = view.Selected("K_Baud1");
    entered.MarkParity = view.Checked("Mark1");
    entered.Coding = view.Checked("CCode1");
    entered.DtUse = view.Checked("DT_use1");
    entered.Credit = view.Checked("Kredit1");
    entered.CapacityText = view.Text("Radku1");
    entered.MaxBreakfastsText = view.Text("MxSn1");
    entered.MaxDinnersText = view.Text("MxVec1");

    entered.RepWriteIndex = view.Selected("Rep_write");
    entered.EndJobOnFailure = view.Checked("Write_error_repeat");
    entered.HighPriority = view.Checked("Priority_set");
    entered.DelayAddIndex = view.Selected("Delay_add");
    entered.RequestFile = view.Text("InSoubor");
    entered.OutputFile = view.Text("OutSoubor");
    entered.DataPath = view.Text("Path_data");
    entered.BinaryOutput = view.Checked("Write_bin_output");
    return entered;
}

} // namespace kelmora::form
