// What a JsonDocument costs: a fresh engine with the embedded script (with and without the
// bytecode cache), the parse of a feed page, and the per-song reads of the song-list walk.
#include <benchmark/benchmark.h>

#include <string>

#include "json/EmbeddedScript.h"
#include "json/JsonDocument.h"
#include "platform/codepage/CodePage.h"
#include "platform/com/Apartment.h"
#include "platform/com/script/BytecodeCache.h"
#include "platform/com/script/DuktapeEngine.h"

namespace {

constexpr int kSongsPerPage = 10;

// A feed page of ten songs with the fields the service sends (most of them unused by us).
Text FeedPage() {
    std::string json =
        R"({"code":0,"subcode":0,"message":"","data":{"uid":"669c9a8d2c2e3f0a","nickname":"歌手小王",)"
        R"("head_img_url":"https://img.example.invalid/head/669c9a8d2c2e3f0a/640.jpg",)"
        R"("ugc_total_count":137,"has_more":1,"level":12,"fans":4096,"follow":88,"ugclist":[)";
    for (int i = 0; i < kSongsPerPage; ++i) {
        const std::string n = std::to_string(i);
        if (i > 0) json += ",";
        json += R"({"ugcid":"6a7b8c9d0e1f2a3b_1690000)" + n + R"(","title":"七里香（Live版）第)" +
                n + R"(首","shareid":"Xy7Kp2Qw9Lm3Nb)" + n + R"(","time":169000000)" + n +
                R"(,"cover":"https://img.example.invalid/cover/)" + n + R"(.jpg","score":9)" + n +
                R"(,"scoreRank":6,"play_num":12)" + n +
                R"(,"comment_num":3,"gift_num":0,"is_segment":false,"ugc_mask":33,)"
                R"("desc":"一首\"老歌\"，送给大家\\n谢谢","sentence_count":42})";
    }
    json += "]}}";
    return codepage::GbkFromUtf8(json);
}

// Every benchmark thread needs an apartment for the components.
class Apartment {
public:
    Apartment() { ComInitialize(); }
    ~Apartment() { ComUninitialize(); }
};

void BM_HeapOnly(benchmark::State& state) {
    for (auto _ : state) {
        auto heap = com::script::DuktapeHeap::Create();
        benchmark::DoNotOptimize(heap.get());
    }
}
BENCHMARK(BM_HeapOnly);

// The engine as JsonDocument sets it up, straight on Duktape: heap, script, initial variables.
void EngineWithScript(benchmark::State& state, com::script::BytecodeCache* cache) {
    const std::u16string script = codepage::WideFromText(json::EmbeddedScript());
    const std::u16string init =
        u"var da = {}, str_Code = String.fromCharCode(9216), str_reg = new RegExp(str_Code, 'g')";
    for (auto _ : state) {
        auto engine = com::script::DuktapeEngine::Create(cache);
        engine->AddCode(script);
        benchmark::DoNotOptimize(engine->Eval(init));
    }
}

void BM_EngineWithScript_Compiled(benchmark::State& state) { EngineWithScript(state, nullptr); }
BENCHMARK(BM_EngineWithScript_Compiled);

void BM_EngineWithScript_Bytecode(benchmark::State& state) {
    com::script::BytecodeCache cache;
    EngineWithScript(state, &cache);
}
BENCHMARK(BM_EngineWithScript_Bytecode);

// The same through the component and automation: what `JsonDocument document;` costs.
void BM_NewJsonDocument(benchmark::State& state) {
    Apartment apartment;
    for (auto _ : state) {
        JsonDocument document;
        benchmark::DoNotOptimize(document.GetEngine());
    }
}
BENCHMARK(BM_NewJsonDocument);

void BM_ParseFeedPage(benchmark::State& state) {
    Apartment apartment;
    const Text page = FeedPage();
    JsonDocument document;
    for (auto _ : state) {
        if (!document.Parse(page)) state.SkipWithError("the page does not parse");
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * page.size()));
}
BENCHMARK(BM_ParseFeedPage);

// One song of the walk: the element as a child document, its title and share id.
void BM_ReadOneSong(benchmark::State& state) {
    Apartment apartment;
    JsonDocument page;
    page.Parse(FeedPage());
    JsonDocument list = page.GetNode(Text("data")).GetNode(Text("ugclist"));
    int index = 0;
    for (auto _ : state) {
        JsonDocument song = list.GetElement(index);
        benchmark::DoNotOptimize(song.GetText(Text("title")));
        benchmark::DoNotOptimize(song.GetText(Text("shareid")));
        index = (index + 1) % kSongsPerPage;
    }
}
BENCHMARK(BM_ReadOneSong);

void BM_GetNode(benchmark::State& state) {
    Apartment apartment;
    JsonDocument page;
    page.Parse(FeedPage());
    for (auto _ : state) benchmark::DoNotOptimize(page.GetNode(Text("data")));
}
BENCHMARK(BM_GetNode);

void BM_GetText(benchmark::State& state) {
    Apartment apartment;
    JsonDocument page;
    page.Parse(FeedPage());
    for (auto _ : state) benchmark::DoNotOptimize(page.GetText(Text("data.ugclist[3].title")));
}
BENCHMARK(BM_GetText);

// A whole page as the walk reads it: parse, data, ugclist, count, and every song.
void BM_WholePage(benchmark::State& state) {
    Apartment apartment;
    const Text text = FeedPage();
    JsonDocument page;
    for (auto _ : state) {
        page.Parse(text);
        JsonDocument list = page.GetNode(Text("data")).GetNode(Text("ugclist"));
        const int count = list.GetCount();
        for (int i = 0; i < count; ++i) {
            JsonDocument song = list.GetElement(i);
            benchmark::DoNotOptimize(song.GetText(Text("title")));
            benchmark::DoNotOptimize(song.GetText(Text("shareid")));
        }
    }
}
BENCHMARK(BM_WholePage);

}  // namespace
