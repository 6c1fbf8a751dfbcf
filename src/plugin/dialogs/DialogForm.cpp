#include "plugin/dialogs/DialogForm.h"

#include "base/Text.h"
#include "plugin/dialogs/DialogFilters.h"

#include <stdexcept>

namespace tabulix {

TDialogControl& TDialogForm::Control(const std::u16string& name) {
    for (TDialogControl& control : FControls) {
        if (control.Name == name) return control;
    }
    throw std::out_of_range("the dialog has no control " + Utf16ToUtf8(name));
}

TDialogControl& TDialogForm::Add(TControlKind kind, const std::u16string& name, const std::u16string& caption) {
    TDialogControl control;
    control.Kind = kind;
    control.Name = name;
    control.Caption = caption;
    FControls.push_back(control);
    return FControls.back();
}

void TDialogForm::AddRectangleField(const std::u16string& label) {
    Add(TControlKind::Label, u"LblRect", label);
    Add(TControlKind::Edit, u"EditRect");
    Add(TControlKind::BrowseButton, u"BtnBrowseRect", u"...").Hint = u"Select a Rectangle";
    Bind(0, u"EditRect");
}

void TDialogForm::AddFileField(const std::u16string& label, const std::u16string& filter) {
    Add(TControlKind::Label, u"LblFile", label);
    Add(TControlKind::Edit, u"EditFile");
    Add(TControlKind::BrowseButton, u"BtnBrowseFile", u"...").Hint = u"Browse for a file";
    Bind(1, u"EditFile");
    FFileFilter = filter;
}

void TDialogForm::Bind(int32_t index, const std::u16string& control) {
    FBindings.push_back({index, control, nullptr, u"", u""});
}

void TDialogForm::BindCheck(int32_t index, const std::u16string& control, bool (*checkedWhen)(const std::u16string&),
                            const std::u16string& checkedText, const std::u16string& clearText) {
    FBindings.push_back({index, control, checkedWhen, checkedText, clearText});
}

void TDialogForm::Load(const TParameterSlots& slots) {
    for (const TBinding& binding : FBindings) {
        TDialogControl& control = Control(binding.Control);
        const std::u16string parameter = slots.Read(binding.Index);
        if (binding.CheckedWhen) {
            control.Checked = binding.CheckedWhen(parameter);
        } else if (control.Kind == TControlKind::ComboList) {
            SelectItem(binding.Control, parameter);
        } else {
            control.Text = parameter;
        }
    }
}

bool TDialogForm::Save(TParameterSlots& slots) {
    for (const TBinding& binding : FBindings) {
        const TDialogControl& control = Control(binding.Control);
        if (binding.CheckedWhen) {
            slots.Write(binding.Index, control.Checked ? binding.CheckedText : binding.ClearText);
        } else {
            slots.Write(binding.Index, control.Text);
        }
    }
    return true;
}

bool TDialogForm::HandleRecurringButton(const std::u16string& name) {
    if (name == u"BtnBrowseRect") {
        // The host offers the choice of objects; the library keeps no list of its own.
        TDialogControl& field = Control(u"EditRect");
        if (const auto picked = FServices.PickObject(field.Text)) field.Text = *picked;
        return true;
    }
    if (name == u"BtnBrowseFile") {
        TDialogControl& field = Control(u"EditFile");
        if (const auto chosen = FServices.BrowseHostFile(HostFileRequest(field.Text, FFileFilter))) field.Text = *chosen;
        return true;
    }
    return false;
}

void TDialogForm::SelectItem(const std::u16string& name, const std::u16string& text) {
    TDialogControl& list = Control(name);
    list.Text = list.Items.empty() ? u"" : list.Items.front();
    for (const std::u16string& item : list.Items) {
        if (SameTextAscii(item, text)) list.Text = item;
    }
}

} // namespace tabulix
