#include "tests/support/stream_capture.h"

#include <gtest/gtest.h>

StreamCapture::StreamCapture() : stream_(CreateOutputStream(nullptr))
{
    if (stream_ == nullptr)
        return;
    // The channel handle is only passed back to Capture, which finds us by it.
    stream_->writePrinter = &StreamCapture::Capture;
    stream_->channel = static_cast<HANDLE>(this);
    stream_->mode = kStreamSpooler;
}

StreamCapture::~StreamCapture()
{
    if (stream_ != nullptr) {
        stream_->channel = nullptr;
        stream_->mode = kStreamClosed;
        DestroyOutputStream(stream_);
    }
}

BOOL WINAPI StreamCapture::Capture(HANDLE printer, LPVOID bytes, DWORD length, LPDWORD written)
{
    auto* self = static_cast<StreamCapture*>(printer);
    const auto* p = static_cast<const uint8_t*>(bytes);
    self->bytes_.insert(self->bytes_.end(), p, p + length);
    *written = length;
    return TRUE;
}

std::vector<uint8_t> StreamCapture::Bytes()
{
    FlushStreamBuffer(stream_);
    return bytes_;
}

std::string StreamCapture::Commands(const MorvaReadOptions& options)
{
    const std::vector<uint8_t> bytes = Bytes();
    MorvaListing listing;
    const bool ok = ReadMorvaCommands(bytes.data(), bytes.size(), options, &listing);
    std::string text = CommandTexts(listing);
    if (!ok) {
        ADD_FAILURE() << "reader: " << listing.error;
        text += "\nERROR " + listing.error;
    }
    return text;
}

void StreamCapture::Clear()
{
    FlushStreamBuffer(stream_);
    bytes_.clear();
}
