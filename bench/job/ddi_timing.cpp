#include "bench/job/ddi_timing.h"

#include "printhost/driver_table.h"
#include "printhost/host_dc.h"

#include <windows.h>
#include <winddi.h>
#include <winddiui.h>

#include <algorithm>
#include <array>
#include <map>
#include <type_traits>
#include <vector>

namespace jobbench {

namespace {

struct Figure {
    LONGLONG ticks = 0;
    ULONG calls = 0;
};

struct Frame {
    LONGLONG start;
    LONGLONG children;
};

printhost::DriverTable* g_table = nullptr;
std::array<PFN, INDEX_LAST> g_original{};
std::array<Figure, INDEX_LAST> g_entries{};
std::map<DWORD, Figure> g_records;
std::vector<Frame> g_frames;
// Outermost driver calls since the last record was heard: start and length.
std::vector<std::pair<LONGLONG, LONGLONG>> g_recent;
LONGLONG g_wallTicks = 0;
// The host's time between two document events: what is not a driver call or
// a record's playback since the last event.
std::map<std::wstring, Figure> g_phases;
LONGLONG g_accounted = 0;
LONGLONG g_lastEventAt = 0;
int g_lastEvent = 0;

LONGLONG Now()
{
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return t.QuadPart;
}

void Enter() { g_frames.push_back(Frame{Now(), 0}); }

void Leave(ULONG index)
{
    const LONGLONG end = Now();
    const Frame frame = g_frames.back();
    g_frames.pop_back();
    const LONGLONG total = end - frame.start;
    g_entries[index].ticks += total - frame.children;
    ++g_entries[index].calls;
    if (!g_frames.empty())
        g_frames.back().children += total;
    else {
        g_recent.emplace_back(frame.start, total);
        g_accounted += total;
    }
}

template <ULONG Index, typename F>
struct Timed;

template <ULONG Index, typename R, typename... A>
struct Timed<Index, R(APIENTRY*)(A...)> {
    static R APIENTRY Call(A... a)
    {
        auto f = reinterpret_cast<R(APIENTRY*)(A...)>(reinterpret_cast<void (*)()>(g_original[Index]));
        Enter();
        if constexpr (std::is_void_v<R>) {
            f(a...);
            Leave(Index);
        } else {
            R r = f(a...);
            Leave(Index);
            return r;
        }
    }
};

struct Entry {
    ULONG index;
    const wchar_t* name;
    PFN wrapper;
};

#define TIMED_ENTRY(name) \
    Entry{INDEX_##name, L## #name, reinterpret_cast<PFN>(reinterpret_cast<void (*)()>(&Timed<INDEX_##name, PFN_##name>::Call))}

const Entry kEntries[] = {
    TIMED_ENTRY(DrvEnablePDEV),       TIMED_ENTRY(DrvCompletePDEV),      TIMED_ENTRY(DrvDisablePDEV),
    TIMED_ENTRY(DrvEnableSurface),    TIMED_ENTRY(DrvDisableSurface),    TIMED_ENTRY(DrvResetPDEV),
    TIMED_ENTRY(DrvStartDoc),         TIMED_ENTRY(DrvEndDoc),            TIMED_ENTRY(DrvStartPage),
    TIMED_ENTRY(DrvSendPage),         TIMED_ENTRY(DrvEscape),            TIMED_ENTRY(DrvBitBlt),
    TIMED_ENTRY(DrvCopyBits),         TIMED_ENTRY(DrvStretchBlt),        TIMED_ENTRY(DrvStretchBltROP),
    TIMED_ENTRY(DrvTextOut),          TIMED_ENTRY(DrvStrokePath),        TIMED_ENTRY(DrvFillPath),
    TIMED_ENTRY(DrvStrokeAndFillPath), TIMED_ENTRY(DrvRealizeBrush),     TIMED_ENTRY(DrvQueryFont),
    TIMED_ENTRY(DrvQueryFontTree),    TIMED_ENTRY(DrvQueryFontData),     TIMED_ENTRY(DrvQueryAdvanceWidths),
    TIMED_ENTRY(DrvGetGlyphMode),
};

struct RecordName {
    DWORD type;
    const wchar_t* name;
};

const RecordName kRecordNames[] = {
    {EMR_HEADER, L"page read, checked, set up"}, {EMR_EOF, L"page released"},
    {EMR_EXTTEXTOUTW, L"EMR_EXTTEXTOUTW"},       {EMR_STRETCHDIBITS, L"EMR_STRETCHDIBITS"},
    {EMR_BITBLT, L"EMR_BITBLT"},                 {EMR_STRETCHBLT, L"EMR_STRETCHBLT"},
    {EMR_POLYGON16, L"EMR_POLYGON16"},           {EMR_POLYLINE16, L"EMR_POLYLINE16"},
    {EMR_POLYBEZIER16, L"EMR_POLYBEZIER16"},     {EMR_POLYGON, L"EMR_POLYGON"},
    {EMR_POLYLINE, L"EMR_POLYLINE"},             {EMR_POLYBEZIER, L"EMR_POLYBEZIER"},
    {EMR_LINETO, L"EMR_LINETO"},                 {EMR_ELLIPSE, L"EMR_ELLIPSE"},
    {EMR_ROUNDRECT, L"EMR_ROUNDRECT"},           {EMR_RECTANGLE, L"EMR_RECTANGLE"},
    {EMR_EXTSELECTCLIPRGN, L"EMR_EXTSELECTCLIPRGN"}, {EMR_SELECTOBJECT, L"EMR_SELECTOBJECT"},
    {EMR_EXTCREATEFONTINDIRECTW, L"EMR_EXTCREATEFONTINDIRECTW"}, {EMR_CREATEPEN, L"EMR_CREATEPEN"},
    {EMR_EXTCREATEPEN, L"EMR_EXTCREATEPEN"},     {EMR_CREATEBRUSHINDIRECT, L"EMR_CREATEBRUSHINDIRECT"},
    {EMR_CREATEDIBPATTERNBRUSHPT, L"EMR_CREATEDIBPATTERNBRUSHPT"}, {EMR_DELETEOBJECT, L"EMR_DELETEOBJECT"},
    {EMR_MOVETOEX, L"EMR_MOVETOEX"},             {EMR_GDICOMMENT, L"EMR_GDICOMMENT"},
    {EMR_FILLRGN, L"EMR_FILLRGN"},               {EMR_SETDIBITSTODEVICE, L"EMR_SETDIBITSTODEVICE"},
};

std::wstring RecordLabel(DWORD type)
{
    for (const RecordName& r : kRecordNames)
        if (r.type == type) return std::wstring(L"host: ") + r.name;
    return L"host: record type " + std::to_wstring(type);
}

void OnPlayed(void*, DWORD type, LONGLONG ticks)
{
    // The driver calls made while the record played are the driver's time.
    const LONGLONG begin = Now() - ticks;
    LONGLONG inside = 0;
    for (const auto& call : g_recent)
        if (call.first >= begin) inside += call.second;
    g_recent.clear();
    Figure& f = g_records[type];
    f.ticks += ticks - inside;
    ++f.calls;
    g_accounted += ticks - inside;
}

const wchar_t* EventName(int event)
{
    switch (event) {
    case 0: return L"start";
    case DOCUMENTEVENT_CREATEDCPRE: return L"CREATEDCPRE";
    case DOCUMENTEVENT_CREATEDCPOST: return L"CREATEDCPOST";
    case DOCUMENTEVENT_STARTDOCPRE: return L"STARTDOCPRE";
    case DOCUMENTEVENT_STARTDOCPOST: return L"STARTDOCPOST";
    case DOCUMENTEVENT_STARTPAGE: return L"STARTPAGE";
    case DOCUMENTEVENT_ENDPAGE: return L"ENDPAGE";
    case DOCUMENTEVENT_ENDDOCPRE: return L"ENDDOCPRE";
    case DOCUMENTEVENT_ENDDOCPOST: return L"ENDDOCPOST";
    case DOCUMENTEVENT_DELETEDC: return L"DELETEDC";
    case DOCUMENTEVENT_ESCAPE: return L"ESCAPE";
    default: return L"event";
    }
}

void ClosePhase(int event)
{
    const LONGLONG now = Now();
    Figure& f = g_phases[std::wstring(L"host: ") + EventName(g_lastEvent) + L" to " + (event < 0 ? L"end" : EventName(event))];
    f.ticks += std::max<LONGLONG>(0, now - g_lastEventAt - g_accounted);
    ++f.calls;
    g_accounted = 0;
    g_lastEventAt = now;
    g_lastEvent = event;
}

void OnEvent(void*, HANDLE, HDC, int event, int) { ClosePhase(event); }

const printhost::HostDcObserver g_observer{&OnEvent, nullptr, nullptr, &OnPlayed};

} // namespace

bool AttachDdiTiming(const std::wstring& graphicsDll, std::wstring* error)
{
    DetachDdiTiming();
    g_table = printhost::LoadGraphicsDriver(graphicsDll, error);
    if (!g_table) return false;
    for (const Entry& e : kEntries) {
        g_original[e.index] = g_table->functions[e.index];
        if (g_original[e.index]) g_table->functions[e.index] = e.wrapper;
    }
    return true;
}

void DetachDdiTiming()
{
    if (!g_table) return;
    for (const Entry& e : kEntries)
        if (g_original[e.index]) g_table->functions[e.index] = g_original[e.index];
    printhost::ReleaseGraphicsDriver(g_table);
    g_table = nullptr;
}

void StartTiming()
{
    g_entries.fill(Figure{});
    g_records.clear();
    g_recent.clear();
    g_frames.clear();
    g_phases.clear();
    g_accounted = 0;
    g_lastEvent = 0;
    g_lastEventAt = Now();
    printhost::SetHostDcObserver(&g_observer);
}

void StopTiming(double wallSeconds)
{
    ClosePhase(-1);
    printhost::SetHostDcObserver(nullptr);
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    g_wallTicks = LONGLONG(wallSeconds * double(frequency.QuadPart));
}

void PrintTiming(FILE* out, double pages)
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    struct Row {
        std::wstring name;
        Figure figure;
    };
    std::vector<Row> rows;
    LONGLONG counted = 0;
    for (const Entry& e : kEntries)
        if (g_entries[e.index].calls) {
            rows.push_back(Row{e.name, g_entries[e.index]});
            counted += g_entries[e.index].ticks;
        }
    for (const auto& [type, figure] : g_records) {
        rows.push_back(Row{RecordLabel(type), figure});
        counted += figure.ticks;
    }
    for (const auto& [name, figure] : g_phases) {
        rows.push_back(Row{name, figure});
        counted += figure.ticks;
    }
    // Outside the document: printer set-up and the measurement's own.
    rows.push_back(Row{L"bench: everything else", Figure{std::max<LONGLONG>(0, g_wallTicks - counted), 0}});
    std::sort(rows.begin(), rows.end(), [](const Row& a, const Row& b) { return a.figure.ticks > b.figure.ticks; });
    const double toMs = 1000.0 / double(frequency.QuadPart) / pages;
    std::fwprintf(out, L"  %-44ls %10ls %10ls %7ls\n", L"where", L"calls/page", L"ms/page", L"share");
    for (const Row& r : rows)
        std::fwprintf(out, L"  %-44ls %10.1f %10.2f %6.1f%%\n", r.name.c_str(), double(r.figure.calls) / pages,
                      double(r.figure.ticks) * toMs,
                      g_wallTicks ? 100.0 * double(r.figure.ticks) / double(g_wallTicks) : 0.0);
}

} // namespace jobbench
