#include "render/inserted/external_conversion.h"

#include "common/job/ansi_text.h"
#include "common/system/module_files.h"
#include "render/command/command_layer.h"
#include "render/morva/morva_commands.h"
#include "render/output/output_stream.h"
#include "render/output/temp_channel.h"
#include "render/page/page_geometry.h"

#include <algorithm>
#include <cstdint>
#include <cwchar>
#include <iterator>
#include <new>

namespace {

// The words of the parameter record from offset 8 to 92, and from 224: fixed
// values the library expects as they are.
constexpr uint32_t kParameterWords[22] = {0, 1, 0, 0, 2, 4, 2, 1, 8, 0, 0, 1, 0, 0, 8, 0, 2, 3, 0, 1, 8192, 0xFF000000};
constexpr uint32_t kParameterTail[3] = {2, 0, 0};
constexpr uint32_t kPageWord4 = 0x1000000;
constexpr uint32_t kPageWord8 = 0x800000;
constexpr int32_t kShortestSheet = 9000;  // tenths of a millimetre, for the page record
constexpr uint32_t kCopyPiece = 4096;
constexpr DWORD kLoadSearchingBeside = 8;  // LOAD_WITH_ALTERED_SEARCH_PATH
constexpr uint8_t kGreyImage = 3, kRgbImage = 4;

bool SystemFile(const wchar_t* name, wchar_t (&out)[MAX_PATH + 1])
{
    const UINT chars = GetSystemDirectoryW(out, MAX_PATH + 1);
    if (name == nullptr || name[0] == L'\0' || chars == 0 || chars > MAX_PATH)
        return false;
    const bool slash = out[chars - 1] == L'\\';
    return std::swprintf(out + chars, MAX_PATH + 1 - chars, slash ? L"%ls" : L"\\%ls", name) > 0;
}

// A sheet length in dots for the page record's 16-bit field. The shortest
// sheet alone passes the field from about 925 dpi on; a length beyond it is
// given as the longest the field holds rather than wrapped to a negative one.
int16_t RecordDots(int32_t tenths, int32_t resolution)
{
    return static_cast<int16_t>(std::clamp<int32_t>(DotsOfTenths(tenths, resolution), 0, INT16_MAX));
}

void BuildRecords(ExternalConversionState* s)
{
    const ExternalJobFacts& f = s->facts;
    s->parameters = {};
    s->parameters.size = sizeof(ExternalParameterRecord);
    s->parameters.mode = f.colourMode;
    for (size_t i = 0; i < std::size(kParameterWords); ++i)
        s->parameters.words8to92[i] = kParameterWords[i];
    for (size_t i = 0; i < std::size(kParameterTail); ++i)
        s->parameters.words224to232[i] = kParameterTail[i];
    s->result = {};
    s->result.size = sizeof(ExternalResultRecord);

    ExternalPageRecord& p = s->page;
    p = {};
    p.size = sizeof(ExternalPageRecord);
    p.word4 = kPageWord4;
    p.word8 = p.word12 = kPageWord8;
    p.xResolution = p.yResolution = f.resolution;
    p.xResolution2 = p.yResolution2 = p.xResolution3 = p.yResolution3 = static_cast<int16_t>(f.resolution);
    p.sheetWidth = RecordDots(f.sheetWidth, f.resolution);
    p.sheetHeight = RecordDots(f.sheetHeight < kShortestSheet ? kShortestSheet : f.sheetHeight, f.resolution);
    p.duplex = f.duplex == DMDUP_VERTICAL ? (f.booklet ? 3 : 2) : f.duplex == DMDUP_HORIZONTAL ? 3 : 1;
    // The directory of a fresh temporary file name, where the library may
    // keep files of its own; the file the name making leaves is removed.
    wchar_t name[kTempFileNameChars] = {};
    MakeTempChannelFileName(name);
    DeleteFileW(name);
    if (wchar_t* slash = std::wcsrchr(name, L'\\'))
        slash[1] = L'\0';
    WideToAnsiCut(name, p.tempDirectory, sizeof p.tempDirectory - 1);
}

void ForgetFile(wchar_t* path)
{
    if (path != nullptr && path[0] != L'\0') {
        DeleteFileW(path);
        path[0] = L'\0';
    }
}

// The whole output file as the image's data, piece by piece.
int EmbedFile(CommandLayer* layer, HANDLE file)
{
    uint8_t piece[kCopyPiece];
    for (;;) {
        DWORD read = 0;
        if (!ReadFile(file, piece, sizeof piece, &read, nullptr))
            return -1;
        if (read == 0)
            return 0;
        if (EmitRawBytes(layer, piece, read) != 0)
            return -1;
    }
}

int EmbedPage(ExternalConversionState* s, CommandLayer* layer)
{
    HANDLE file = CreateFileW(s->outputPath, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 0;  // the library said yes but left nothing: the face is left out
    LARGE_INTEGER size{};
    const bool sized = GetFileSizeEx(file, &size) && size.QuadPart <= 0xFFFFFFFF;
    const ExternalJobFacts& f = s->facts;
    const float resolution = static_cast<float>(f.resolution > 0 ? f.resolution : 600);
    const int32_t width = DotsOfTenths(f.sheetWidth, f.resolution);
    const int32_t height = DotsOfTenths(f.sheetHeight, f.resolution);
    const PageMediaItem& m = s->media;
    // The image covers the whole sheet: its top-left corner is the sheet's.
    PlacementMatrix sheet{};
    ResetPlacementToIdentity(&sheet);
    PlacementMatrix onSheet{};
    ConvertMatrixToPoints(&sheet, &onSheet, resolution, resolution, 0.0f, static_cast<float>(height));
    const float placement[6] = {onSheet.a, onSheet.b, onSheet.c, onSheet.d, onSheet.e, onSheet.f};
    MorvaImageHeader header{};
    header.matrix[0] = header.matrix[3] = 1.0f;
    header.sourceWidth = width;
    header.sourceHeight = height;
    header.maskFlag = kImageNoMask;
    header.colourModel = kImageData;
    header.colourKind = m.code1 == 2 ? kRgbImage : kGreyImage;
    header.bitsPerComponent = 8;
    header.method = kImageMethodPlain;
    header.dataLength = static_cast<uint32_t>(size.QuadPart);
    int result = sized ? 0 : -1;
    if (result == 0)
        result = EmitPageAttributes(layer, static_cast<uint8_t>(m.code1), static_cast<uint8_t>(m.code2),
                                    static_cast<uint8_t>(m.kindLetter), m.width, m.height, m.pageOptions) |
                 EmitPlacementMatrix(layer, placement) | EmitImageHeader(layer, header);
    if (result == 0)
        result = EmbedFile(layer, file);
    CloseHandle(file);
    if (result == 0 && !f.withoutSheetOutput)
        result = EmitSheetOutput(layer);
    if (result == 0)
        result = EmitSheetEnd(layer);
    return result;
}

}  // namespace

int32_t DotsOfTenths(int32_t tenths, int32_t resolution)
{
    return static_cast<int32_t>((int64_t{tenths} * resolution * 2 + 254) / 508);
}

ExternalConversionState* SetUpExternalConversion(const ExternalJobFacts& facts, const wchar_t* libraryName,
                                                 const wchar_t* dataName)
{
    if (facts.colourMode > 2)
        return nullptr;
    auto* s = new (std::nothrow) ExternalConversionState{};
    if (s == nullptr)
        return nullptr;
    s->facts = facts;
    s->savedFile = INVALID_HANDLE_VALUE;
    BuildRecords(s);
    wchar_t libraryPath[MAX_PATH + 1];
    s->work = new (std::nothrow) uint8_t[kExternalWorkBytes]{};
    s->inputPath = new (std::nothrow) wchar_t[MAX_PATH + 1]{};
    s->outputPath = new (std::nothrow) wchar_t[MAX_PATH + 1]{};
    if (s->work == nullptr || s->inputPath == nullptr || s->outputPath == nullptr ||
        !SystemFile(libraryName, libraryPath) || !SystemFile(dataName, s->dataPath) ||
        (s->module = LoadLibraryInDriverContext(libraryPath, kLoadSearchingBeside)) == nullptr ||
        (s->callHB = reinterpret_cast<CallHbFn>(reinterpret_cast<void (*)()>(GetProcAddress(s->module, "callHB")))) ==
            nullptr) {
        ReleaseExternalConversion(s);
        return nullptr;
    }
    return s;
}

void ReleaseExternalConversion(ExternalConversionState* s)
{
    if (s == nullptr)
        return;
    ForgetFile(s->inputPath);
    ForgetFile(s->outputPath);
    if (s->module != nullptr)
        FreeLibrary(s->module);
    delete[] s->work;
    delete[] s->inputPath;
    delete[] s->outputPath;
    delete s;
}

int RedirectStreamToTempFile(ExternalConversionState* s, OutputStream* stream)
{
    if (s == nullptr || stream == nullptr || s->redirected)
        return -1;
    MakeTempChannelFileName(s->inputPath);
    if (FlushStreamBuffer(stream) != 0) {
        ForgetFile(s->inputPath);
        return -1;
    }
    s->savedMode = stream->mode;
    s->savedFile = stream->file;
    // The stream holds one file at a time: the job's own file (printing to
    // a file) waits while the face goes into the temporary one.
    stream->file = INVALID_HANDLE_VALUE;
    if (OpenStreamFileMode(stream, s->inputPath, nullptr, kStreamFileCreate, kStreamExternalInput) != 0) {
        stream->file = s->savedFile;
        stream->mode = s->savedMode;
        ForgetFile(s->inputPath);
        return -1;
    }
    s->redirected = true;
    return 0;
}

int RestoreStreamFromTempFile(ExternalConversionState* s, OutputStream* stream)
{
    if (s == nullptr || stream == nullptr || !s->redirected)
        return -1;
    const int result = CloseStreamFileMode(stream, s->savedMode);
    stream->file = s->savedFile;
    s->savedFile = INVALID_HANDLE_VALUE;
    s->redirected = false;
    return result;
}

int KeepExternalPageMedia(void* state, const PageMediaItem& item)
{
    static_cast<ExternalConversionState*>(state)->media = item;
    return 0;
}

int RunExternalConversion(ExternalConversionState* s, CommandLayer* layer)
{
    if (s == nullptr || layer == nullptr)
        return -1;
    MakeTempChannelFileName(s->outputPath);
    char input[2 * MAX_PATH + 1], output[2 * MAX_PATH + 1], data[2 * MAX_PATH + 1];
    int result = 0;
    if (WideToAnsiCut(s->inputPath, input, 2 * MAX_PATH) && WideToAnsiCut(s->outputPath, output, 2 * MAX_PATH) &&
        WideToAnsiCut(s->dataPath, data, 2 * MAX_PATH) &&
        s->callHB(input, output, &s->parameters, &s->result, &s->page, s->work, data) != 0)
        result = EmbedPage(s, layer);
    ForgetFile(s->inputPath);
    ForgetFile(s->outputPath);
    return result;
}
