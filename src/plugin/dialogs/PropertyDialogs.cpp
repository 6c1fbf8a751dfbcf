#include "plugin/dialogs/PropertyDialogs.h"

#include "plugin/dialogs/EditExportForm.h"
#include "plugin/dialogs/EditGotoForm.h"
#include "plugin/dialogs/EditHighlightForm.h"
#include "plugin/dialogs/EditImportForm.h"
#include "plugin/dialogs/EditNewForm.h"
#include "plugin/dialogs/EditOpenForm.h"
#include "plugin/dialogs/EditRectForm.h"
#include "plugin/dialogs/EditSaveForm.h"
#include "plugin/dialogs/EditSettingsForm.h"

namespace tabulix {

namespace {

std::unique_ptr<TDialogForm> RectForm(TDialogServices& services, const std::u16string& caption) {
    auto form = std::make_unique<TRectForm>(services);
    form->SetCaption(caption);
    return form;
}

} // namespace

std::unique_ptr<TDialogForm> MakePropertyForm(int32_t action, TDialogServices& services) {
    switch (action) {
    case 1: return std::make_unique<TOpenForm>(services);
    case 2: return RectForm(services, u"TabulixNext Properties");
    case 3: return RectForm(services, u"TabulixPrev Properties");
    case 4: return std::make_unique<TGotoForm>(services);
    case 5: return RectForm(services, u"TabulixClose Properties");
    case 6: return std::make_unique<TSaveForm>(services);
    case 7: return std::make_unique<TExportForm>(services);
    case 8: return std::make_unique<TImportForm>(services);
    case 9: return RectForm(services, u"TabulixEdit Properties");
    case 10: return std::make_unique<THighlightForm>(services);
    case 11: return std::make_unique<TSettingsForm>(services);
    case 12: return std::make_unique<TNewForm>(services);
    default: return nullptr;
    }
}

bool EditActionProperties(int32_t action, TParameterSlots& slots, TDialogServices& services) {
    const std::unique_ptr<TDialogForm> form = MakePropertyForm(action, services);
    if (!form) return false;
    form->Load(slots);
    if (!services.ShowModal(*form)) return false;
    return form->Save(slots);
}

} // namespace tabulix
