#include "ui/engine/dialog_context.h"

#include "common/settings/value_types.h"
#include "common/store/settings_blobs.h"
#include "common/system/global_block.h"
#include "ui/docevent/fax_send_list.h"
#include "ui/support/keyed_list.h"

#include <cstring>
#include <vector>

namespace {

bool CopyBlock(const void* source, uint32_t size, void** out)
{
    *out = nullptr;
    if (!source || !size)
        return true;
    auto copy = AllocGlobalBlock<uint8_t>(size);
    if (!copy)
        return false;
    std::memcpy(copy.get(), source, size);
    *out = copy.release();
    return true;
}

// A copy of the destinations with the recipients in the same order and keys.
FaxDestinations* CopyFaxDestinations(const FaxDestinations* source)
{
    FaxDestinations* copy = CreateFaxDestinations();
    if (!copy)
        return nullptr;
    std::memcpy(copy->headerText1, source->headerText1, sizeof copy->headerText1);
    std::memcpy(copy->headerText2, source->headerText2, sizeof copy->headerText2);
    // The chain runs newest to oldest; inserting oldest first keeps the order.
    std::vector<const KeyedListNode*> nodes;
    for (const KeyedListNode* node = source->recipients ? source->recipients->first : nullptr; node;
         node = node->next)
        nodes.push_back(node);
    for (auto it = nodes.rbegin(); it != nodes.rend(); ++it) {
        void* block = nullptr;
        if (!CopyBlock((*it)->data, kFaxRecipientBytes, &block) ||
            !InsertKeyedListNode(copy->recipients, (*it)->key1, (*it)->key2, block)) {
            FreeGlobalIfSet(block);
            FreeFaxDestinations(copy);
            return nullptr;
        }
    }
    return copy;
}

void ClearSettingsSet(SettingsSet* set)
{
    FreeGlobalIfSet(set->settings);
    FreeGlobalIfSet(set->printerSettings);
    FreeFaxDestinations(set->fax);
    FreeGlobalIfSet(set->faxBlock);
    FreeGlobalIfSet(set->faxBlock2);
    *set = {};
}

bool IsListEmpty(const KeyedList* list) { return !list || GetKeyedListCount(list) == 0; }

SettingsSet* SetOfWindow(HWND window)
{
    const DialogContext* context = GetDialogContext(window);
    return context ? context->current : nullptr;
}

}  // namespace

void FreeGlobalIfSet(void* block)
{
    if (block)
        GlobalFree(block);
}

SettingsSet* CreateSettingsSet()
{
    auto set = AllocGlobalBlock<SettingsSet>(sizeof(SettingsSet));
    if (!set)
        return nullptr;
    set->settings = static_cast<uint8_t*>(GlobalAlloc(GPTR, kSettingsRecordSize));
    set->printerSettings = static_cast<uint8_t*>(GlobalAlloc(GPTR, kPrinterSettingsRecordSize));
    if (!IsSettingsSetValid(set.get())) {
        FreeSettingsSet(set.release());
        return nullptr;
    }
    return set.release();
}

int AssignSettingsSet(SettingsSet* target, const SettingsSet* source)
{
    if (!target || !IsSettingsSetValid(source))
        return 0;
    SettingsSet copy{};
    bool done = CopyBlock(source->settings, kSettingsRecordSize, reinterpret_cast<void**>(&copy.settings)) &&
                CopyBlock(source->printerSettings, kPrinterSettingsRecordSize,
                          reinterpret_cast<void**>(&copy.printerSettings)) &&
                CopyBlock(source->faxBlock, source->faxBlockSize, &copy.faxBlock) &&
                CopyBlock(source->faxBlock2, source->faxBlock2Size, &copy.faxBlock2);
    if (done && source->fax)
        done = (copy.fax = CopyFaxDestinations(source->fax)) != nullptr;
    if (!done) {
        ClearSettingsSet(&copy);
        return 0;
    }
    copy.faxBlockSize = copy.faxBlock ? source->faxBlockSize : 0;
    copy.faxBlock2Size = copy.faxBlock2 ? source->faxBlock2Size : 0;
    ClearSettingsSet(target);
    *target = copy;
    return 1;
}

SettingsSet* CopySettingsSet(const SettingsSet* source)
{
    if (!IsSettingsSetValid(source))
        return nullptr;
    auto set = AllocGlobalBlock<SettingsSet>(sizeof(SettingsSet));
    if (!set || !AssignSettingsSet(set.get(), source))
        return nullptr;
    return set.release();
}

void FreeSettingsSet(SettingsSet* set)
{
    if (!set)
        return;
    ClearSettingsSet(set);
    GlobalFree(set);
}

bool IsSettingsSetValid(const SettingsSet* set) { return set && set->settings && set->printerSettings; }

DialogContext* CreateDialogContext(HWND owner, UiContext* ui, const SettingsSet* set, const SettingsSet* third)
{
    auto context = AllocGlobalBlock<DialogContext>(sizeof(DialogContext));
    if (!context)
        return nullptr;
    DialogContext* c = context.get();
    c->ui = ui;
    c->owner = owner;
    c->current = CopySettingsSet(set);
    c->saved = CopySettingsSet(set);
    c->committed = third ? CopySettingsSet(third) : nullptr;
    c->states = static_cast<StateLists*>(GlobalAlloc(GPTR, sizeof(StateLists)));
    bool done = c->current && c->saved && (!third || c->committed) && c->states;
    for (int i = 0; done && i < kDialogDataLists; ++i)
        done = (c->data[i] = CreateKeyedList()) != nullptr;
    if (done)
        done = (c->states->controls = CreateKeyedList()) && (c->states->settings = CreateKeyedList());
    if (!done) {
        FreeDialogContext(&c);
        context.release();
        return nullptr;
    }
    return context.release();
}

void FreeDialogContext(DialogContext** context)
{
    if (!context || !*context)
        return;
    DialogContext* c = *context;
    FreeSettingsSet(c->current);
    FreeSettingsSet(c->saved);
    FreeSettingsSet(c->committed);
    // Lists that still hold entries belong to windows that have not let go of
    // them; their data is not the context's to free.
    if (c->states) {
        if (IsListEmpty(c->states->controls))
            FreeKeyedList(&c->states->controls);
        if (IsListEmpty(c->states->settings))
            FreeKeyedList(&c->states->settings);
        GlobalFree(c->states);
    }
    for (KeyedList*& list : c->data)
        if (IsListEmpty(list))
            FreeKeyedList(&list);
    GlobalFree(c);
    *context = nullptr;
}

DialogContext* GetDialogContext(HWND window)
{
    if (!window || !IsWindow(window))
        return nullptr;
    return reinterpret_cast<DialogContext*>(GetWindowLongPtrW(window, DWLP_USER));
}

UiContext* GetWindowUiContext(HWND window)
{
    const DialogContext* context = GetDialogContext(window);
    return context ? context->ui : nullptr;
}

namespace {

int WriteSetRecords(const SettingsSet* set, void** settings, void** printerSettings)
{
    if (!IsSettingsSetValid(set) || !settings)
        return 0;
    *settings = set->settings;
    if (!printerSettings)
        return 0;
    *printerSettings = set->printerSettings;
    return 1;
}

}  // namespace

int GetDialogSettings(HWND window, void** settings, void** printerSettings)
{
    return WriteSetRecords(SetOfWindow(window), settings, printerSettings);
}

int GetDialogSavedSettings(HWND window, void** settings, void** printerSettings)
{
    const DialogContext* context = GetDialogContext(window);
    return context ? WriteSetRecords(context->saved, settings, printerSettings) : 0;
}

int RestoreCurrentSettings(DialogContext* context, int flag)
{
    if (!context || !context->current)
        return 0;
    const SettingsSet* source = context->committed && flag == 0 ? context->committed : context->saved;
    return AssignSettingsSet(context->current, source);
}

int CommitCurrentSettings(DialogContext* context)
{
    if (!context || !IsSettingsSetValid(context->current))
        return 0;
    if (!context->committed) {
        context->committed = CopySettingsSet(context->current);
        return context->committed ? 1 : 0;
    }
    return AssignSettingsSet(context->committed, context->current);
}

KeyedList* GetDialogDataList(HWND window, int index)
{
    const DialogContext* context = GetDialogContext(window);
    if (!context || index < 0 || index >= kDialogDataLists)
        return nullptr;
    return context->data[index];
}

void* FindDialogData(int index, HWND window, uint64_t key, uint64_t key2)
{
    return FindKeyedListData(GetDialogDataList(window, index), key, key2);
}

int AddDialogData(int index, HWND window, uint64_t key, uint64_t key2, void* data)
{
    KeyedList* list = GetDialogDataList(window, index);
    if (!list || !data)
        return -1;
    if (FindKeyedListNode(list, key, key2, nullptr))
        return 2;
    return InsertKeyedListNode(list, key, key2, data) ? 0 : -1;
}

int RemoveDialogData(int index, HWND window, uint64_t key, uint64_t key2)
{
    return RemoveKeyedListNode(GetDialogDataList(window, index), key, key2);
}

// --- Call context ----------------------------------------------------------------

int InitCallContext(CallContext* call, HWND window, HWND owner, uint32_t dialogCode, uint32_t message,
                    uint16_t dialogType)
{
    if (!call)
        return 0;
    *call = {};
    call->window = window;
    call->owner = owner;
    call->dialogCode = dialogCode;
    call->message = message;
    call->dialogType = dialogType;
    const UiContext* ui = GetWindowUiContext(window);
    if (!ui)
        return 0;
    call->permission = ui->permission;
    call->settingsContext = ui->settings;
    if (const SettingsSet* set = SetOfWindow(window)) {
        call->settings = set->settings;
        call->printerSettings = set->printerSettings;
    }
    return 1;
}

int SetCallMessage(CallContext* call, uint32_t message) { return call ? (call->message = message, 1) : 0; }
int SetCallResultCode(CallContext* call, uint32_t result) { return call ? (call->result = result, 1) : 0; }
uint32_t GetCallResultCode(const CallContext* call) { return call ? call->result : 0; }
HWND GetCallWindow(const CallContext* call) { return call ? call->window : nullptr; }
HWND GetCallOwner(const CallContext* call) { return call ? call->owner : nullptr; }
uint32_t GetCallDialogCode(const CallContext* call) { return call ? call->dialogCode : 0; }
uint32_t GetCallPermission(const CallContext* call) { return call ? call->permission : 0; }
uint16_t GetCallDialogType(const CallContext* call) { return call ? call->dialogType : 0; }
SettingsContext* GetCallSettingsContext(const CallContext* call) { return call ? call->settingsContext : nullptr; }

int GetCallSettings(const CallContext* call, void** settings, void** printerSettings)
{
    if (!call || !settings || !printerSettings)
        return 0;
    *settings = call->settings;
    *printerSettings = call->printerSettings;
    return 1;
}

int32_t GetCallSubResult(const CallContext* call) { return call ? call->subResult : -1; }
int SetCallSubResult(CallContext* call, int32_t result) { return call ? (call->subResult = result, 1) : 0; }
ItemEventHandler GetKindDefaultHandler(const CallContext* call) { return call ? call->kindHandler : nullptr; }

int SetPendingAction(CallContext* call, uint32_t code, void* data, const ItemRecord* target)
{
    if (!call)
        return 0;
    if (call->pendingData && call->pendingData != data)
        GlobalFree(call->pendingData);
    call->pendingCode = code;
    call->pendingData = data;
    call->pendingTarget = target;
    return 1;
}

uint32_t GetPendingActionCode(const CallContext* call) { return call ? call->pendingCode : 0; }
int SetPendingActionCode(CallContext* call, uint32_t code) { return call ? (call->pendingCode = code, 1) : 0; }
void* GetPendingActionData(const CallContext* call) { return call ? call->pendingData : nullptr; }
int SetPendingActionData(CallContext* call, void* data) { return call ? (call->pendingData = data, 1) : 0; }
const ItemRecord* GetPendingActionTarget(const CallContext* call) { return call ? call->pendingTarget : nullptr; }

bool PendingListContains(const CallContext* call, uint16_t setting)
{
    const auto* ids = static_cast<const uint16_t*>(GetPendingActionData(call));
    for (; ids && *ids; ++ids)
        if (*ids == setting)
            return true;
    return false;
}

int CopyCallSettingsSet(const CallContext* call, SettingsSet* out)
{
    if (!call || !out)
        return 0;
    *out = {};
    out->settings = static_cast<uint8_t*>(call->settings);
    out->printerSettings = static_cast<uint8_t*>(call->printerSettings);
    if (const SettingsSet* set = SetOfWindow(call->window)) {
        out->fax = set->fax;
        out->faxBlock = set->faxBlock;
        out->faxBlockSize = set->faxBlockSize;
        out->faxBlock2 = set->faxBlock2;
        out->faxBlock2Size = set->faxBlock2Size;
    }
    return 1;
}
