#include "tests/support/model_printer.h"

#include "common/model/model_data.h"
#include "common/system/module_files.h"

#include <winspool.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

namespace {

constexpr wchar_t kEnvironment[] = L"Windows x64";
// Offset and size of the linked file name in a model data file's header.
constexpr size_t kLinkedNameOffset = 160;
constexpr size_t kLinkedNameSize = 64;
constexpr size_t kHeaderSize = 224;
// Empty files standing for the driver's two libraries.
const wchar_t* const kPlaceholderFiles[] = {L"morvamodelgr.dll", L"morvamodelui.dll"};

std::wstring BinaryDirectory()
{
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring dir = path;
    return dir.substr(0, dir.find_last_of(L"\\/") + 1);
}

// The folder of the installed files of version-3 drivers: the spooler copies a
// driver's files there, so they are written there in the first place.
std::wstring SpoolerDriverDirectory()
{
    wchar_t dir[MAX_PATH] = {};
    DWORD needed = 0;
    if (!GetPrinterDriverDirectoryW(nullptr, const_cast<wchar_t*>(kEnvironment), 1, reinterpret_cast<BYTE*>(dir),
                                    sizeof dir, &needed))
        return {};
    const std::wstring versionDir = std::wstring(dir) + L"\\3";
    CreateDirectoryW(versionDir.c_str(), nullptr);
    return versionDir + L"\\";
}

std::wstring WithError(const std::wstring& text)
{
    return text + L" (error " + std::to_wstring(GetLastError()) + L")";
}

bool ReadFileBytes(const std::wstring& path, std::vector<char>* bytes)
{
    std::ifstream in(path.c_str(), std::ios::binary);
    if (!in)
        return false;
    bytes->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

bool WriteFileBytes(const std::wstring& path, const std::vector<char>& bytes)
{
    std::ofstream out(path.c_str(), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

// Eight hexadecimal digits that stand for the printer name in its file names.
std::wstring NameTag(const std::wstring& printerName)
{
    uint32_t hash = 2166136261u;  // FNV-1a
    for (wchar_t c : printerName) {
        hash ^= static_cast<uint16_t>(c);
        hash *= 16777619u;
    }
    wchar_t tag[9];
    swprintf(tag, 9, L"%08X", hash);
    return tag;
}

// "NAME.EXT" -> "NAME_<tag>.EXT".
std::wstring TaggedFileName(const std::wstring& name, const std::wstring& tag)
{
    const size_t dot = name.rfind(L'.');
    return dot == std::wstring::npos ? name + L"_" + tag : name.substr(0, dot) + L"_" + tag + name.substr(dot);
}

std::wstring SiteConfigName(const std::wstring& linkedName)
{
    const size_t dot = linkedName.rfind(L'.');
    return (dot == std::wstring::npos ? linkedName + L"." : linkedName.substr(0, dot + 1)) + L"cfg";
}

bool IsOlder(const std::wstring& target, const std::wstring& source)
{
    WIN32_FILE_ATTRIBUTE_DATA t, s;
    if (!GetFileAttributesExW(target.c_str(), GetFileExInfoStandard, &t))
        return true;
    if (!GetFileAttributesExW(source.c_str(), GetFileExInfoStandard, &s))
        return false;
    return CompareFileTime(&t.ftLastWriteTime, &s.ftLastWriteTime) < 0 || t.nFileSizeLow != s.nFileSizeLow;
}

// A shared file: copied when missing or older than the build's. Another program
// may hold it loaded; the copy it has is then the build's already.
bool ShareFile(const std::wstring& from, const std::wstring& to)
{
    if (IsOlder(to, from))
        CopyFileW(from.c_str(), to.c_str(), FALSE);
    return GetFileAttributesW(to.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The model's string modules: the DLLs of the bin folder whose names begin with
// the model file's stem ("C4530RES.DLL" for "C4530.DDD").
std::vector<std::wstring> StringModules(const std::wstring& bin, const std::wstring& modelFile)
{
    std::vector<std::wstring> names;
    const std::wstring stem = modelFile.substr(0, modelFile.rfind(L'.'));
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW((bin + stem + L"*.DLL").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE)
        return names;
    do
        names.push_back(found.cFileName);
    while (FindNextFileW(find, &found));
    FindClose(find);
    return names;
}

}  // namespace

ModelPrinter::ModelPrinter(const wchar_t* modelFile, const wchar_t* printerName) : name_(printerName)
{
    const std::wstring tag = NameTag(name_);
    const std::wstring bin = BinaryDirectory();
    directory_ = SpoolerDriverDirectory();
    if (directory_.empty()) {
        error_ = WithError(L"the spooler has no driver directory");
        return;
    }
    std::vector<char> main;
    if (!ReadFileBytes(bin + modelFile, &main) || main.size() < kHeaderSize) {
        error_ = L"model data file missing or short: " + bin + modelFile;
        return;
    }

    // The printer's own copies of the main and linked file, the main one naming
    // the printer's linked file. Rewritten each time: the build may have changed them.
    char* linkedField = main.data() + kLinkedNameOffset;
    const std::string linkedName(linkedField, strnlen(linkedField, kLinkedNameSize));
    if (!linkedName.empty()) {
        const std::wstring linkedWide(linkedName.begin(), linkedName.end());
        const std::wstring ownLinked = TaggedFileName(linkedWide, tag);
        if (ownLinked.size() >= kLinkedNameSize) {
            error_ = L"linked file name too long: " + ownLinked;
            return;
        }
        std::vector<char> linked;
        if (!ReadFileBytes(bin + linkedWide, &linked)) {
            error_ = L"linked model data file missing: " + bin + linkedWide;
            return;
        }
        std::memset(linkedField, 0, kLinkedNameSize);
        for (size_t i = 0; i < ownLinked.size(); ++i)
            linkedField[i] = static_cast<char>(ownLinked[i]);
        linkedFile_ = directory_ + ownLinked;
        siteConfig_ = directory_ + SiteConfigName(ownLinked);
        if (!WriteFileBytes(linkedFile_, linked)) {
            error_ = L"cannot write " + linkedFile_;
            return;
        }
    }
    dataFile_ = directory_ + TaggedFileName(modelFile, tag);
    if (!WriteFileBytes(dataFile_, main)) {
        error_ = L"cannot write " + dataFile_;
        return;
    }

    std::wstring dependent;
    if (!linkedFile_.empty())
        dependent += linkedFile_.substr(directory_.size()) + L'\0';
    for (const std::wstring& shared : StringModules(bin, modelFile)) {
        if (!ShareFile(bin + shared, directory_ + shared)) {
            error_ = WithError(L"cannot copy " + shared);
            return;
        }
        dependent += shared + L'\0';
    }
    const std::wstring library = directory_ + L"morvares.dll";
    if (!ShareFile(bin + L"morvares.dll", library)) {
        error_ = WithError(L"cannot copy morvares.dll");
        return;
    }
    dependent += L'\0';

    driverName_ = name_ + L" Driver";
    DRIVER_INFO_3W info = {};
    info.cVersion = 3;
    info.pName = driverName_.data();
    info.pEnvironment = const_cast<wchar_t*>(kEnvironment);
    // Wine loads the driver's libraries to ask them for a DEVMODE and calls what
    // it finds without checking; files it cannot load make it use its own.
    std::wstring driverPath = directory_ + kPlaceholderFiles[0];
    std::wstring configPath = directory_ + kPlaceholderFiles[1];
    for (const std::wstring* placeholder : {&driverPath, &configPath}) {
        HANDLE file = CreateFileW(placeholder->c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_ALWAYS, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            error_ = WithError(L"cannot create " + *placeholder);
            return;
        }
        CloseHandle(file);
    }
    info.pDriverPath = driverPath.data();
    info.pConfigFile = configPath.data();
    info.pDataFile = dataFile_.data();
    info.pDependentFiles = dependent.data();
    // A printer left by an earlier run is taken over with its driver entry: the
    // spooler's driver list is changed only the first time.
    PRINTER_DEFAULTSW access = {nullptr, nullptr, PRINTER_ALL_ACCESS};
    if (!OpenPrinterW(name_.data(), &handle_, &access)) {
        handle_ = nullptr;
        if (!AddPrinterDriverExW(nullptr, 3, reinterpret_cast<BYTE*>(&info), 0) &&
            GetLastError() != ERROR_PRINTER_DRIVER_ALREADY_INSTALLED) {
            error_ = WithError(L"the spooler refused driver " + driverName_);
            return;
        }
        if (!AddModelPrinter())
            return;
    }

    // The driver directory is the directory of the library's own module.
    module_ = LoadLibraryW(library.c_str());
    if (!module_) {
        error_ = WithError(L"cannot load " + library);
        ClosePrinter(handle_);
        handle_ = nullptr;
        return;
    }
    formerModule_ = GetModuleHandleOfDriver();
    SetModuleHandle(module_);
}

bool ModelPrinter::AddModelPrinter()
{
    PRINTER_INFO_2W printer = {};
    printer.pPrinterName = name_.data();
    printer.pPortName = const_cast<wchar_t*>(L"FILE:");
    printer.pDriverName = driverName_.data();
    printer.pPrintProcessor = const_cast<wchar_t*>(L"WinPrint");
    printer.pDatatype = const_cast<wchar_t*>(L"RAW");
    printer.Attributes = PRINTER_ATTRIBUTE_LOCAL;
    HANDLE added = AddPrinterW(nullptr, 2, reinterpret_cast<BYTE*>(&printer));
    if (!added) {
        error_ = WithError(L"the spooler refused printer " + name_);
        return false;
    }
    ClosePrinter(added);
    PRINTER_DEFAULTSW access = {nullptr, nullptr, PRINTER_ALL_ACCESS};
    if (!OpenPrinterW(name_.data(), &handle_, &access)) {
        handle_ = nullptr;
        error_ = WithError(L"cannot open printer " + name_);
        return false;
    }
    return true;
}

ModelPrinter::~ModelPrinter()
{
    if (module_) {
        // Printers of one program share the library (one module, counted): the
        // handle goes back only when this printer set it last and the program had
        // another one before.
        if (GetModuleHandleOfDriver() == module_ && formerModule_ != module_)
            SetModuleHandle(formerModule_);
        FreeLibrary(module_);
    }
    if (handle_)
        ClosePrinter(handle_);
    RemoveSiteConfiguration();
}

bool ModelPrinter::WriteSiteConfiguration(const std::string& text) const
{
    if (siteConfig_.empty())
        return false;
    std::vector<char> bytes;
    for (char c : text) {
        if (c == '\n')
            bytes.push_back('\r');
        bytes.push_back(c);
    }
    return WriteFileBytes(siteConfig_, bytes);
}

void ModelPrinter::RemoveSiteConfiguration() const
{
    if (!siteConfig_.empty())
        DeleteFileW(siteConfig_.c_str());
}

ModelPrinter* OpenSuitePrinter(const wchar_t* modelFile, const wchar_t* printerName)
{
    LoadResourceModule();
    return new ModelPrinter(modelFile, printerName);
}

void CloseSuitePrinter(ModelPrinter*& printer)
{
    delete printer;
    printer = nullptr;
    ReleaseResourceModule();
}

void PatchModelRaw(ModelDataRecord* main, uint16_t section, uint16_t size, uint16_t index, uint32_t value)
{
    uint8_t old[4] = {};
    ASSERT_EQ(ReadModelSectionEntry(main, section, size, index, old), 0) << section;
    // The read leaves the cursor just past the entry.
    std::memcpy(main->buffer + main->cursor - size, &value, size);
    ASSERT_EQ(GetModelSectionNumber(main, section, size, index),
              value & (size == 4 ? 0xFFFFFFFFu : (1u << (8 * size)) - 1));
}
