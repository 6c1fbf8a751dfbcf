#pragma once

// The property dialogs of the host's action editor, as plain data and logic: a form is a caption and a
// list of controls from top to bottom, filled from the action's parameter slots, changed by the author
// through the dialog toolkit (which calls the form's handlers), and written back on OK. The toolkit that
// shows a form is a port: Windows draws real dialogs, tests act as the author.

#include "viewer/ViewerPorts.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tabulix {

enum class TControlKind {
    Label,        // one line of text
    WrappedLabel, // a paragraph, wrapped to the dialog's width
    Edit,         // a one-line edit field
    BrowseButton, // a small flat "..." button beside the field above it, with a hint
    Button,       // a push button
    ComboList,    // a drop-down list to choose one item from
    CheckBox,
    CheckList,    // a list of items, each with a check box
    GroupBox,     // a frame with a caption around the controls up to its GroupEnd
    Radio,        // a radio button of the group box it stands in
};

struct TCheckListItem {
    std::u16string Text;
    bool Checked = false;
};

struct TDialogControl {
    std::u16string Name; // EditRect, BtnBrowseRect, ...: how the handlers and the reference host know it
    TControlKind Kind = TControlKind::Label;
    std::u16string Caption; // labels, buttons, check boxes, radio buttons, group boxes
    std::u16string Hint;    // the tooltip of a "..." button
    std::u16string Text;    // an edit field's text, a drop-down list's selected item
    std::vector<std::u16string> Items; // a drop-down list's items
    std::vector<TCheckListItem> Checks; // a check list's items
    bool Checked = false;
    bool Enabled = true;
    bool ReadOnly = false;
    size_t GroupEnd = 0; // a group box holds the controls after it up to this index (exclusive)
};

// The slots of nbEditAction: the parameter texts as the host passed them, and the texts OK writes.
class TParameterSlots {
public:
    virtual ~TParameterSlots() = default;
    // The parameter's text; empty beyond the last index or for a null slot.
    virtual std::u16string Read(int32_t index) const = 0;
    // Replaces the parameter's text; nothing beyond the last index.
    virtual void Write(int32_t index, const std::u16string& text) = 0;
};

class TDialogForm;

// The dialog toolkit of the platform: showing a form, the colour and file dialogs, an error box.
class TDialogToolkit {
public:
    virtual ~TDialogToolkit() = default;
    // Shows the form modally, owned by the window active now, until the author closes it: true for OK.
    virtual bool ShowModal(TDialogForm& form) = 0;
    // The colour dialog, starting on the colour given (red in the low byte) or on its default.
    virtual std::optional<TColor> PickColor(std::optional<TColor> start) = 0;
    // The operating system's file-open dialog with the filter ("Name|*.ext|...") and the initial file.
    virtual std::optional<std::u16string> PickFileToOpen(const std::u16string& filter, const std::u16string& initial) = 0;
    // A modal error box with an OK button.
    virtual void ShowError(const std::u16string& text) = 0;
};

// What a dialog needs beyond its own window: the toolkit, the host's pickers (requests 8 and 16) and the
// host's variables.
class TDialogServices : public TDialogToolkit {
public:
    // The host's Rectangle picker: the name picked, none when the host does not answer.
    virtual std::optional<std::u16string> PickObject(const std::u16string& typed) = 0;
    // The host's file picker with the request text: the file chosen, none when the host does not answer.
    virtual std::optional<std::u16string> BrowseHostFile(const std::u16string& request) = 0;
    virtual std::u16string ReadVariable(const std::u16string& name) = 0;
    virtual void WriteVariable(const std::u16string& name, const std::u16string& value) = 0;
};

// One property dialog: its controls, how it fills them from the slots and writes them back, and the
// handlers the toolkit calls when the author clicks, checks or leaves a control.
class TDialogForm {
public:
    explicit TDialogForm(TDialogServices& services) : FServices(services) {}
    virtual ~TDialogForm() = default;
    TDialogForm(const TDialogForm&) = delete;
    TDialogForm& operator=(const TDialogForm&) = delete;

    const std::u16string& Caption() const { return FCaption; }
    void SetCaption(const std::u16string& caption) { FCaption = caption; }
    std::vector<TDialogControl>& Controls() { return FControls; }
    // The control of that name; throws std::out_of_range for a name the form does not have.
    TDialogControl& Control(const std::u16string& name);

    // Fills the controls from the parameter slots (before the dialog is shown): by default each bound
    // control from its parameter.
    virtual void Load(const TParameterSlots& slots);
    // Writes the parameters back on OK; false when the form refuses and leaves every slot untouched. By
    // default each bound control's value into its parameter, in parameter order.
    virtual bool Save(TParameterSlots& slots);

    // The dialog has just been shown.
    virtual void OnShow() {}
    // A button, check box or radio button was clicked by the author (its new state already stored). By
    // default the recurring "..." buttons pick a Rectangle or a file.
    virtual void OnClick(const std::u16string& name) { HandleRecurringButton(name); }
    // The author checked or unchecked an item of a check list (its new state already stored).
    virtual void OnItemCheck(const std::u16string& name, size_t item) {
        (void)name;
        (void)item;
    }
    // The keyboard focus left the control.
    virtual void OnExit(const std::u16string& name) { (void)name; }

protected:
    TDialogControl& Add(TControlKind kind, const std::u16string& name, const std::u16string& caption = u"");
    // The recurring controls: the Rectangle field with its picker (parameter 0), the file field with the
    // host's picker, which offers files of the filter (parameter 1).
    void AddRectangleField(const std::u16string& label);
    void AddFileField(const std::u16string& label, const std::u16string& filter);
    // The handlers of the recurring "..." buttons: true when name was one of them.
    bool HandleRecurringButton(const std::u16string& name);
    // The control that holds parameter index: an edit field's text as it stands, a drop-down list's item
    // (chosen ignoring case, else the first).
    void Bind(int32_t index, const std::u16string& control);
    // A check box that holds parameter index: checked when the parameter passes the test; written back as
    // one of two texts.
    void BindCheck(int32_t index, const std::u16string& control, bool (*checkedWhen)(const std::u16string&),
                   const std::u16string& checkedText, const std::u16string& clearText);
    // A drop-down list selects the item equal to text ignoring case, else its first item.
    void SelectItem(const std::u16string& name, const std::u16string& text);

    TDialogServices& FServices;

private:
    struct TBinding {
        int32_t Index;
        std::u16string Control;
        bool (*CheckedWhen)(const std::u16string&) = nullptr; // check boxes only
        std::u16string CheckedText, ClearText;
    };

    std::u16string FCaption;
    std::vector<TDialogControl> FControls;
    std::vector<TBinding> FBindings;
    std::u16string FFileFilter;
};

} // namespace tabulix
