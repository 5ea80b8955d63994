// Single values, strings, log fonts, the user setting block and the fax address
// count, addressed by public identifier.
#include "access/dma_id_map.h"
#include "access/dma_interface.h"
#include "access/dma_items.h"
#include "access/dma_text.h"

#include "common/context/value_by_type.h"
#include "common/settings/item_layout.h"
#include "common/settings/value_engine.h"
#include "common/settings/value_types.h"
#include "common/store/settings_blobs.h"
#include "common/store/user_setting_info.h"
#include "common/system/scrambled_strings.h"

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

namespace {

constexpr uint16_t kFaxAddressCountItem = 380;
constexpr uint16_t kSoftwareSupportItem = 8216;
constexpr uint16_t kAccountModeItem = 5163;
constexpr int kQuerySoftwareSupport = 1;

// The two UTF-16 strings of the fax send list header: byte offset and room in units.
struct FaxHeaderString {
    uint32_t offset;
    uint32_t units;
};
constexpr FaxHeaderString kFaxHeaderStrings[] = {{18, 41}, {100, 671}};
static_assert(100 + 671 * 2 == kFaxSendListHeaderBytes);

bool IsFaxHeaderId(uint16_t dmaId)
{
    return dmaId == kDmaFaxHeaderString1 || dmaId == kDmaFaxHeaderString2;
}

wchar_t* FaxHeaderField(uint8_t* header, uint16_t dmaId)
{
    return reinterpret_cast<wchar_t*>(header + kFaxHeaderStrings[dmaId - kDmaFaxHeaderString1].offset);
}

uint32_t FaxHeaderUnits(uint16_t dmaId)
{
    return kFaxHeaderStrings[dmaId - kDmaFaxHeaderString1].units;
}

bool HasFaxTag(const uint8_t* header)
{
    return std::memcmp(header, kFaxSendListTag, sizeof kFaxSendListTag) == 0;
}

const wchar_t* WideItem(const DmaItem& item)
{
    return reinterpret_cast<const wchar_t*>(item.layout.address);
}

uint32_t WideUnits(const DmaItem& item)
{
    return item.layout.room / sizeof(wchar_t);
}

// Bytes the ANSI form of a UTF-16 item needs with its terminator; 0 when the
// conversion fails.
uint32_t AnsiBytesNeeded(const DmaItem& item, std::string* ansi)
{
    if (!AnsiFromWideField(WideItem(item), WideUnits(item), ansi))
        return 0;
    return static_cast<uint32_t>(ansi->size()) + 1;
}

void CopyAnsi(const std::string& text, char* buffer)
{
    std::memcpy(buffer, text.c_str(), text.size() + 1);
}

// Stores ANSI text into the item: bytes for setting 329, UTF-16 otherwise.
// The caller has checked the length against the room.
int StoreText(const DmaItem& item, const char* text, size_t bytes)
{
    if (item.itemId == kAnsiStringItem) {
        const size_t length = strnlen(text, bytes);
        if (length + 1 > item.layout.room)
            return kDmaTooLong;
        std::memset(item.layout.address, 0, item.layout.room);
        std::memcpy(item.layout.address, text, length);
        return kDmaOk;
    }
    std::wstring wide;
    if (!WideFromAnsi(text, bytes, &wide))
        return kDmaFailed;
    return StoreWideField(wide, reinterpret_cast<wchar_t*>(item.layout.address), WideUnits(item)) ? kDmaOk
                                                                                                  : kDmaTooLong;
}

// Stores a protected text: scrambled and base64-encoded, or one zero byte when empty.
int StoreProtectedText(const DmaItem& item, uint16_t dmaId, const char* text, uint32_t length)
{
    if (length > ProtectedPlainLimit(dmaId))
        return kDmaTooLong;
    if (length == 0) {
        std::memset(item.layout.address, 0, item.layout.room);
        return kDmaOk;
    }
    const int capacity = GetBase64EncodedSize(static_cast<int>(length));
    std::vector<char> encoded(static_cast<size_t>(capacity) + 1, '\0');
    int encodedLength = 0;
    if (ScrambleAndEncode(reinterpret_cast<const uint8_t*>(text), static_cast<int>(length), encoded.data(),
                          &encodedLength, capacity) != 0)
        return kDmaFailed;
    const uint32_t units = item.itemId == kAnsiStringItem ? item.layout.room : WideUnits(item);
    if (static_cast<uint32_t>(encodedLength) + 1 > units)
        return kDmaTooLong;
    return StoreText(item, encoded.data(), static_cast<size_t>(encodedLength));
}

// The size protocol of the exports that fill a caller's buffer: no buffer and
// size 0 asks for the size; a buffer too small gets the size back. kDmaOk when
// the buffer may be filled.
int AnswerSize(const void* buffer, uint32_t* size, uint32_t needed)
{
    if (!buffer) {
        if (*size != 0)
            return kDmaFailed;
        *size = needed;
        return kDmaSizeAnswered;
    }
    if (*size < needed) {
        *size = needed;
        return kDmaSizeAnswered;
    }
    return kDmaOk;
}

// The common first steps of the value exports: the set, the export's own
// refusals of the fax header strings, the identifier's setting, and whether the
// setting is of the kind the export handles.
enum class ExportKind { Number, String, LogFont };

int ResolveForExport(const DmaDataSet* set, uint16_t dmaId, ExportKind kind, DmaItem* item)
{
    if (!set)
        return kDmaFailed;
    if (kind != ExportKind::String && IsFaxHeaderId(dmaId))
        return kDmaWrongExport;
    const int resolved = ResolveDmaItem(set, dmaId, item);
    if (resolved != kDmaOk)
        return resolved;
    const bool isString = IsStringType(item->type), isFont = IsLogFontType(item->type);
    switch (kind) {
    case ExportKind::Number:
        return isString ? kDmaWrongExport : isFont ? kDmaLogFontItem : kDmaOk;
    case ExportKind::LogFont:
        return isString ? kDmaWrongExport : !isFont ? kDmaWrongKind : kDmaOk;
    case ExportKind::String:
        return isFont ? kDmaLogFontItem : !isString ? kDmaWrongKind : kDmaOk;
    }
    return kDmaFailed;
}

// The attribute of one identifier: kind and size as the exports answer them.
int QueryAttribute(DmaDataSet* set, uint16_t dmaId, DmaAttribute* attribute)
{
    uint32_t size = 0;
    if (IsFaxHeaderId(dmaId)) {
        const int result = DMA_GetStringData(set, dmaId, nullptr, &size);
        if (result != kDmaSizeAnswered)
            return result;
        *attribute = {dmaId, kDmaAttributeString, size};
        return kDmaOk;
    }
    DmaItem item;
    const int resolved = ResolveDmaItem(set, dmaId, &item);
    if (resolved != kDmaOk)
        return resolved;
    if (IsLogFontType(item.type)) {
        *attribute = {dmaId, kDmaAttributeLogFont, kDmaLogFontSize};
    } else if (IsStringType(item.type)) {
        const int result = DMA_GetStringData(set, dmaId, nullptr, &size);
        if (result != kDmaSizeAnswered)
            return result;
        *attribute = {dmaId, kDmaAttributeString, size};
    } else {
        *attribute = {dmaId, kDmaAttributeNumber, 4};
    }
    return kDmaOk;
}

bool IsDiscoverable(DmaDataSet* set, uint16_t dmaId)
{
    uint32_t value = 0, size = 0;
    return DMA_GetValue(set, dmaId, &value) == kDmaOk ||
           DMA_GetStringData(set, dmaId, nullptr, &size) == kDmaSizeAnswered ||
           (size = 0, DMA_GetLogFontData(set, dmaId, nullptr, &size) == kDmaSizeAnswered);
}

}  // namespace

int ResolveSettingItem(const DmaDataSet* set, uint16_t itemId, DmaItem* item)
{
    item->itemId = itemId;
    if (FindItemLayout(itemId, set->settingsRecord, set->printerSettingsRecord, &item->layout) != kSettingOk)
        return kDmaFailed;
    item->type = item->layout.reportedType != 0 ? item->layout.reportedType : item->layout.storedType;
    return kDmaOk;
}

int ResolveDmaItem(const DmaDataSet* set, uint16_t dmaId, DmaItem* item)
{
    const uint16_t itemId = DmaIdToItemId(dmaId);
    if (itemId == 0)
        return kDmaUnmapped;
    return ResolveSettingItem(set, itemId, item);
}

bool WriteSettingData(const DmaDataSet* set, const DmaItem& item, const void* data, uint32_t size)
{
    uint8_t holder[kValueHolderSize] = {};
    std::memcpy(holder, &data, sizeof data);
    return dma_SetValue(item.itemId, set->settingsRecord, set->printerSettingsRecord, item.type, size, holder) ==
           kSettingOk;
}

extern "C" {

int DMA_QueryStructSize(int kind)
{
    switch (kind) {
    case kDmaTargetStamp: return 308;
    case kDmaTargetFiveStrings: return 706;
    case kDmaTargetMargin: return 20;
    case kDmaTargetRecipient: return static_cast<int>(kFaxRecipientBytes);
    case kDmaTargetFaxHeader: return static_cast<int>(kFaxSendListHeaderBytes);
    case kDmaTargetSixStrings: return 968;
    default: return 0;
    }
}

int DMA_GetValue(DmaDataSet* set, uint16_t dmaId, uint32_t* value)
{
    DmaItem item;
    const int resolved = ResolveForExport(set, dmaId, ExportKind::Number, &item);
    if (resolved != kDmaOk)
        return resolved;
    if (!value)
        return kDmaFailed;
    *value = 0;
    uint16_t type = 0, kind = 0;
    uint32_t size = 0;
    uint8_t holder[kValueHolderSize] = {};
    if (dma_GetValue(item.itemId, set->settingsRecord, set->printerSettingsRecord, &type, &size, holder, &kind) !=
        kSettingOk)
        return kDmaFailed;
    std::memcpy(value, holder, std::min<uint32_t>(size, sizeof *value));
    return kDmaOk;
}

int DMA_SetValue(DmaDataSet* set, uint16_t dmaId, int32_t value)
{
    DmaItem item;
    const int resolved = ResolveForExport(set, dmaId, ExportKind::Number, &item);
    if (resolved != kDmaOk)
        return resolved;
    return WriteSettingNumber(item.itemId, set->settingsRecord, set->printerSettingsRecord,
                              static_cast<uint32_t>(value))
               ? kDmaOk
               : kDmaFailed;
}

int DMA_GetStringData(DmaDataSet* set, uint16_t dmaId, char* buffer, uint32_t* size)
{
    if (!set || !size)
        return kDmaFailed;
    std::string text;
    if (IsFaxHeaderId(dmaId)) {
        if (!set->faxSendListHeader)
            return kDmaUnmapped;
        if (!AnsiFromWideField(FaxHeaderField(set->faxSendListHeader, dmaId), FaxHeaderUnits(dmaId), &text))
            return kDmaFailed;
        const uint32_t needed = static_cast<uint32_t>(text.size()) + 1;
        if (!buffer || *size < needed) {
            *size = needed;
            return kDmaSizeAnswered;
        }
        CopyAnsi(text, buffer);
        return kDmaOk;
    }
    DmaItem item;
    const int resolved = ResolveForExport(set, dmaId, ExportKind::String, &item);
    if (resolved != kDmaOk)
        return resolved;

    // A UTF-16 item's ANSI form may need more bytes than half its room under a
    // double-byte code page: the answer is whichever is larger.
    uint32_t needed = 0;
    if (item.itemId == kAnsiStringItem) {
        needed = item.layout.room;
    } else {
        const uint32_t converted = AnsiBytesNeeded(item, &text);
        if (converted == 0)
            return kDmaFailed;
        needed = std::max(WideUnits(item), converted);
    }
    if (!buffer) {
        if (*size != 0)
            return kDmaFailed;
        *size = IsProtectedDmaId(dmaId) ? ProtectedPlainLimit(dmaId) : needed;
        return kDmaSizeAnswered;
    }
    if (IsProtectedDmaId(dmaId))
        return kDmaFailed;
    if (*size < needed) {
        *size = needed;
        return kDmaSizeAnswered;
    }
    if (item.itemId == kAnsiStringItem) {
        const size_t length = strnlen(reinterpret_cast<const char*>(item.layout.address), item.layout.room);
        std::memcpy(buffer, item.layout.address, length);
        buffer[std::min<size_t>(length, *size - 1)] = '\0';
    } else {
        CopyAnsi(text, buffer);
    }
    return kDmaOk;
}

int DMA_SetStringData(DmaDataSet* set, uint16_t dmaId, const char* text, uint32_t length)
{
    if (!set)
        return kDmaFailed;
    if (IsFaxHeaderId(dmaId)) {
        if (!set->faxSendListHeader)
            return kDmaUnmapped;
        if (!text)
            return kDmaFailed;
        std::wstring wide;
        if (!WideFromAnsi(text, length, &wide))
            return kDmaFailed;
        if (!StoreWideField(wide, FaxHeaderField(set->faxSendListHeader, dmaId), FaxHeaderUnits(dmaId)))
            return kDmaTooLong;
        std::memcpy(set->faxSendListHeader, kFaxSendListTag, sizeof kFaxSendListTag);
        return kDmaOk;
    }
    DmaItem item;
    const int resolved = ResolveForExport(set, dmaId, ExportKind::String, &item);
    if (resolved != kDmaOk)
        return resolved;
    if (!text)
        return kDmaFailed;
    if (IsProtectedDmaId(dmaId))
        return StoreProtectedText(item, dmaId, text, length);
    // The length must leave room for the terminator.
    const uint32_t room = item.itemId == kAnsiStringItem ? item.layout.room : WideUnits(item);
    if (length >= room)
        return kDmaTooLong;
    return StoreText(item, text, length);
}

int DMA_GetStringData_StrLength(DmaDataSet* set, uint16_t dmaId, char* buffer, uint32_t* size)
{
    DmaItem item;
    const int resolved = ResolveForExport(set, dmaId, ExportKind::String, &item);
    if (resolved != kDmaOk)
        return resolved;
    if (!size)
        return kDmaFailed;
    std::string text;
    uint32_t needed = 0;
    if (item.itemId == kAnsiStringItem) {
        text.assign(reinterpret_cast<const char*>(item.layout.address),
                    strnlen(reinterpret_cast<const char*>(item.layout.address), item.layout.room));
        needed = static_cast<uint32_t>(text.size()) + 1;
    } else {
        needed = AnsiBytesNeeded(item, &text);
        if (needed == 0)
            return kDmaFailed;
    }
    if (needed > item.layout.room)
        return kDmaFailed;
    const int answered = AnswerSize(buffer, size, needed);
    if (answered != kDmaOk)
        return answered;
    CopyAnsi(text, buffer);
    return kDmaOk;
}

int DMA_SetStringData_StrLength(DmaDataSet* set, uint16_t dmaId, const char* text)
{
    DmaItem item;
    const int resolved = ResolveForExport(set, dmaId, ExportKind::String, &item);
    if (resolved != kDmaOk)
        return resolved;
    if (!text)
        return kDmaFailed;
    return StoreText(item, text, strlen(text));
}

int DMA_GetLogFontData(DmaDataSet* set, uint16_t dmaId, LOGFONTA* font, uint32_t* size)
{
    DmaItem item;
    const int resolved = ResolveForExport(set, dmaId, ExportKind::LogFont, &item);
    if (resolved != kDmaOk)
        return resolved;
    if (!size)
        return kDmaFailed;
    const int answered = AnswerSize(font, size, kDmaLogFontSize);
    if (answered != kDmaOk)
        return answered;
    LOGFONTW stored;
    std::memcpy(&stored, item.layout.address, sizeof stored);
    std::string face;
    if (!AnsiFromWideField(stored.lfFaceName, LF_FACESIZE, &face))
        return kDmaFailed;
    LOGFONTA out{};
    std::memcpy(&out, &stored, offsetof(LOGFONTA, lfFaceName));
    std::memcpy(out.lfFaceName, face.data(), std::min<size_t>(face.size(), LF_FACESIZE - 1));
    *font = out;
    return kDmaOk;
}

int DMA_SetLogFontData(DmaDataSet* set, uint16_t dmaId, const LOGFONTA* font, uint32_t size)
{
    DmaItem item;
    const int resolved = ResolveForExport(set, dmaId, ExportKind::LogFont, &item);
    if (resolved != kDmaOk)
        return resolved;
    if (!font)
        return kDmaFailed;
    if (size < kDmaLogFontSize)
        return kDmaSizeAnswered;
    if (size > kDmaLogFontSize)
        return kDmaTooLong;
    // The 32-bit fields travel as their low 16 bits, sign-extended.
    LOGFONTW converted;
    std::memcpy(&converted, item.layout.address, sizeof converted);
    converted.lfHeight = static_cast<int16_t>(font->lfHeight);
    converted.lfWidth = static_cast<int16_t>(font->lfWidth);
    converted.lfEscapement = static_cast<int16_t>(font->lfEscapement);
    converted.lfOrientation = static_cast<int16_t>(font->lfOrientation);
    converted.lfWeight = static_cast<int16_t>(font->lfWeight);
    std::memcpy(&converted.lfItalic, &font->lfItalic, 8);
    std::wstring face;
    if (!WideFromAnsi(font->lfFaceName, LF_FACESIZE, &face))
        return kDmaFailed;
    face.resize(std::min<size_t>(face.size(), LF_FACESIZE - 1));
    StoreWideField(face, converted.lfFaceName, LF_FACESIZE);
    return WriteSettingData(set, item, &converted, sizeof converted) ? kDmaOk : kDmaFailed;
}

int DMA_QuerySWSupportInfo(DmaDataSet* set, int query)
{
    if (query != kQuerySoftwareSupport)
        return kDmaUnknownQuery;
    if (!set)
        return kDmaFailed;
    uint32_t value = 0;
    if (!ReadSettingNumber(kSoftwareSupportItem, set->settingsRecord, set->printerSettingsRecord, &value))
        return kDmaSupportUnreadable;
    return value != 0 ? kDmaOk : kDmaNotSupported;
}

int DMA_GetUserSettingInfo(DmaDataSet* set, void* block, uint32_t* size)
{
    if (!set || !size)
        return kDmaFailed;
    const int answered = AnswerSize(block, size, kUserSettingInfoSize);
    if (answered != kDmaOk)
        return answered;
    std::wstring model;
    if (!WideFromAnsi(set->modelName, sizeof set->modelName, &model))
        return kDmaFailed;
    UserSettingInfo info;
    if (!CaptureUserSettingInfo(model.c_str(), set->printerSettingsRecord, &info))
        return kDmaFailed;
    std::memcpy(block, &info, sizeof info);
    return kDmaOk;
}

int DMA_SetUserSettingInfo(DmaDataSet* set, const void* block)
{
    if (!set || !block || !set->printerSettingsRecord)
        return kDmaFailed;
    uint32_t accountMode = 0;
    if (!ReadSettingNumber(kAccountModeItem, set->settingsRecord, set->printerSettingsRecord, &accountMode))
        return kDmaFailed;
    uint16_t version = 0;
    std::memcpy(&version, block, sizeof version);
    const uint32_t blockSize = UserSettingInfoBlockSize(version);
    if (blockSize == 0)
        return kDmaFailed;
    // Fields an older block does not carry keep the values the record has, and
    // the record changes only once every field has been taken.
    std::vector<uint8_t> printer(static_cast<const uint8_t*>(set->printerSettingsRecord),
                                 static_cast<const uint8_t*>(set->printerSettingsRecord) + kPrinterSettingsRecordSize);
    UserSettingInfo info;
    if (!CaptureUserSettingInfo(L"", printer.data(), &info) ||
        !ConvertUserSettingInfo(static_cast<const uint8_t*>(block), blockSize, &info, accountMode == 1) ||
        !ApplyUserSettingInfo(printer.data(), &info, kUserGroupsAll))
        return kDmaFailed;
    std::memcpy(set->printerSettingsRecord, printer.data(), printer.size());
    return kDmaOk;
}

int DMA_GetFaxAddressNum(const void* faxSendListHeader, uint16_t* count)
{
    if (!faxSendListHeader || !count)
        return kDmaFailed;
    const auto* header = static_cast<const uint8_t*>(faxSendListHeader);
    if (!HasFaxTag(header))
        return kDmaFailed;
    std::memcpy(count, header + kFaxSendListCountOffset, sizeof *count);
    return kDmaOk;
}

int DMA_SetFaxAddressNum(DmaDataSet* set, int count, int add)
{
    if (!set || !set->faxSendListHeader)
        return kDmaFailed;
    int64_t total = count;
    if (add) {
        uint32_t current = 0;
        if (!ReadSettingNumber(kFaxAddressCountItem, set->settingsRecord, set->printerSettingsRecord, &current))
            return kDmaFailed;
        total += static_cast<uint16_t>(current);
    }
    if (total < 0 || total > 0xFFFF)
        return kDmaFailed;
    const uint16_t value = static_cast<uint16_t>(total);
    uint8_t holder[kValueHolderSize] = {};
    std::memcpy(holder, &value, sizeof value);
    if (dma_SetValue(kFaxAddressCountItem, set->settingsRecord, set->printerSettingsRecord, kTypeU16, 2, holder) !=
        kSettingOk)
        return kDmaFailed;
    std::memcpy(set->faxSendListHeader + kFaxSendListCountOffset, &value, sizeof value);
    return kDmaOk;
}

int DMA_QueryAttributes(DmaDataSet* set, uint32_t* count, const uint16_t* dmaIds, DmaAttribute* attributes)
{
    if (!set || !count)
        return kDmaFailed;
    if (dmaIds) {
        if (!attributes)
            return kDmaFailed;
        for (uint32_t i = 0; i < *count; ++i) {
            const int result = QueryAttribute(set, dmaIds[i], &attributes[i]);
            if (result != kDmaOk)
                return result;
        }
        return kDmaOk;
    }
    std::vector<uint16_t> found;
    for (uint32_t id = 1; id <= 0xFFFF; ++id)
        if (IsDiscoverable(set, static_cast<uint16_t>(id)))
            found.push_back(static_cast<uint16_t>(id));
    if (found.empty())
        return kDmaFailed;
    if (!attributes || *count < found.size()) {
        *count = static_cast<uint32_t>(found.size());
        return kDmaSizeAnswered;
    }
    for (size_t i = 0; i < found.size(); ++i) {
        const int result = QueryAttribute(set, found[i], &attributes[i]);
        if (result != kDmaOk)
            return result;
    }
    return *count > found.size() ? kDmaUnmapped : kDmaOk;
}

}  // extern "C"
