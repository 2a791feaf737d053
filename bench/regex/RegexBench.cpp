#include <benchmark/benchmark.h>

#include <string>

#include "automation/Automation.h"
#include "platform/codepage/CodePage.h"
#include "platform/com/Apartment.h"
#include "regex/RegexObject.h"

namespace {

// A play page of about `size` bytes as the service serves it, in GBK: a head with scripts and
// styles, a long list of comments in Chinese, and the page data with the media address about
// three quarters of the way through.
Text PlayPage(std::size_t size) {
    Text page("<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>");
    page += "歌曲 - 全民K歌</title>"_gbk;
    page += Text(
        "<script>!function(e){var t={};function n(r){if(t[r])return t[r].exports;}}"
        "([]);</script><style>.comment{margin:0 auto;padding:4px}</style></head><body>");
    const Text comment =
        "<div class=\"comment\"><span class=\"nick\">听众</span><p>唱得真好听，再来一首吧！"
        "Perfect pitch, play it again.</p></div>\n"_gbk;
    const Text data(
        "<script>window.__DATA__ = {\"detail\":{\"ugc_id\":\"123456789\",\"singer\":\"x\","
        "\"playurl\":\"https://media.example.invalid/music/abcdef0123456789.m4a?fromtag=1000&"
        "vkey=0123456789ABCDEF\",\"playurl_video\":\"\",\"cover\":\"https://img.example.invalid/"
        "c.jpg\"}};</script>\n");
    while (page.size() < size * 3 / 4) page += comment;
    page += data;
    while (page.size() < size) page += comment;
    return page + Text("</body></html>");
}

const Text kPlayUrlPattern("playurl\":\"(.*?)\"");
const Text kMetaCharsetPattern("<meta.+?charset=[^\\w]?([-\\w]+)");

void BM_PlayUrlCreateAndMatchText(benchmark::State& state) {
    const Text page = PlayPage(static_cast<std::size_t>(state.range(0)));
    RegexObject re;
    for (auto _ : state) {
        re.Create(kPlayUrlPattern, page);
        Text found = re.MatchText(1);
        if (found.empty()) state.SkipWithError("no match");
        benchmark::DoNotOptimize(found);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(page.size()));
}
BENCHMARK(BM_PlayUrlCreateAndMatchText)->Arg(200 * 1024)->Unit(benchmark::kMicrosecond);

// The part of the above that is only moving the page to UTF-16 and back for the component.
void BM_PageToUtf16(benchmark::State& state) {
    const Text page = PlayPage(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(codepage::WideFromText(page));
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(page.size()));
}
BENCHMARK(BM_PageToUtf16)->Arg(200 * 1024)->Unit(benchmark::kMicrosecond);

void BM_MetaCharsetFirstKilobyte(benchmark::State& state) {
    const Text head(PlayPage(2048).view().substr(0, 1024));
    RegexObject re;
    for (auto _ : state) {
        re.Create(kMetaCharsetPattern, head);
        benchmark::DoNotOptimize(re.SubMatchText(1, 1));
    }
}
BENCHMARK(BM_MetaCharsetFirstKilobyte)->Unit(benchmark::kMicrosecond);

// A UTF-8 page re-read through the text stream into a GBK Text, as the WinHTTP client does.
void BM_StreamUtf8PageToText(benchmark::State& state) {
    const std::string utf8 =
        codepage::Utf8FromGbk(PlayPage(static_cast<std::size_t>(state.range(0))));
    const ByteSet bytes(utf8.begin(), utf8.end());
    ComInitialize();
    for (auto _ : state) {
        using namespace automation;
        ObjectRef stream = CreateObject(Text("Adodb.Stream"));
        SetProperty(stream, "Type", 1);
        SetProperty(stream, "Mode", 3);
        CallMethod(stream, "Open");
        CallMethod(stream, "Write", {bytes});
        SetProperty(stream, "Position", 0);
        SetProperty(stream, "Type", 2);
        SetProperty(stream, "Charset", Text("utf-8"));
        benchmark::DoNotOptimize(CallMethod<Text>(stream, "ReadText"));
        CallMethod(stream, "Close");
    }
    ComUninitialize();
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes.size()));
}
BENCHMARK(BM_StreamUtf8PageToText)
    ->Arg(200 * 1024)
    ->Arg(10 * 1024 * 1024)
    ->Unit(benchmark::kMillisecond);

}  // namespace
