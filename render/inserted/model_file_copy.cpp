// Copying a model data file into the stream.
#include "render/inserted/model_file_copy.h"

#include <algorithm>
#include <string>
#include <vector>

namespace {

// The stream takes the file in pieces; the file is read in small steps.
constexpr uint32_t kPieceBytes = 16384;
constexpr DWORD kReadStep = 512;

struct FileHandle {
    HANDLE h;
    ~FileHandle()
    {
        if (h != INVALID_HANDLE_VALUE)
            CloseHandle(h);
    }
};

}  // namespace

int CopyModelDataFile(OutputStream* stream, const wchar_t* directory, const wchar_t* fileName)
{
    if (!stream)
        return -1;
    if (!fileName || !*fileName)
        return 0;
    std::wstring path = directory ? directory : L"";
    if (!path.empty() && path.back() != L'\\')
        path += L'\\';
    path += fileName;
    FileHandle file = {CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)};
    if (file.h == INVALID_HANDLE_VALUE)
        return 0;
    std::vector<uint8_t> piece(kPieceBytes);
    for (;;) {
        uint32_t fill = 0;
        bool end = false;
        while (fill < kPieceBytes) {
            DWORD read = 0;
            if (!ReadFile(file.h, piece.data() + fill, std::min<DWORD>(kReadStep, kPieceBytes - fill), &read, nullptr))
                return -1;
            if (read == 0) {
                end = true;
                break;
            }
            fill += read;
        }
        if (fill != 0 && WriteStream(stream, piece.data(), fill) != static_cast<int64_t>(fill))
            return -1;
        if (end)
            return 0;
    }
}
