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

bool TDialogForm::HasControl(const std::u16string& name) const {
    for (const TDialogControl& control : FControls) {
        if (control.Name == name) return true;
    }
    return false;
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
}

void TDialogForm::AddFileField(const std::u16string& label) {
    Add(TControlKind::Label, u"LblFile", label);
    Add(TControlKind::Edit, u"EditFile");
    Add(TControlKind::BrowseButton, u"BtnBrowseFile", u"...").Hint = u"Browse for a file";
}

bool TDialogForm::HandleRecurringButton(const std::u16string& name, const std::u16string& fileFilter) {
    if (name == u"BtnBrowseRect") {
        // The host offers the choice of objects; the library keeps no list of its own.
        TDialogControl& field = Control(u"EditRect");
        if (const auto picked = FServices.PickObject(field.Text)) field.Text = *picked;
        return true;
    }
    if (name == u"BtnBrowseFile") {
        TDialogControl& field = Control(u"EditFile");
        if (const auto chosen = FServices.BrowseHostFile(HostFileRequest(field.Text, fileFilter))) field.Text = *chosen;
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
