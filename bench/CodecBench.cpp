// Encode and decode speed of our codec beside libjpeg-turbo (fast integer DCT) doing the same
// work, with its SIMD code and without. libjpeg-turbo reads JSIMD_FORCENONE once per process,
// so the program runs its libjpeg cases a second time in a child process with the variable
// set, then prints one table: our time per picture and both ratios. The table uses CPU time
// per picture (all cases are single-threaded), which stays steady on a machine shared with
// other work; the console lines above it show wall time as well.
//
//   codec_bench [--benchmark_min_time=...]
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

// jpeglib.h needs FILE declared first.
#include <jpeglib.h>

#include "TestPictures.h"
#include "codec/JpegDecoder.h"
#include "codec/JpegEncoder.h"

namespace {

using namespace framewise;

struct Size {
    int w, h;
};
const Size kSizes[] = {{128, 128}, {160, 128}, {320, 240}};
const int kQuality = 90;

struct Picture {
    int w, h;
    bool h2v2;
    std::vector<uint8_t> bottomUp;  // our encoder's input
    std::vector<uint8_t> topDown;   // libjpeg's input
    std::vector<uint8_t> stream;    // our device stream
    std::vector<uint8_t> jfif;      // the JFIF form of the same picture, for libjpeg
};

Picture Make(int w, int h, bool h2v2) {
    Picture p{w, h, h2v2, testing_pictures::PhotoLike(w, h, 42), {}, {}, {}};
    p.topDown = testing_pictures::TopDown(p.bottomUp, w, h);
    JpegEncoder enc(kQuality);
    uint32_t flags = h2v2 ? 3 : 0;
    for (bool jfif : {false, true}) {
        std::vector<uint8_t> out(JpegEncoder::MaxEncodedSize(w, h, flags));
        size_t n = 0;
        enc.jfifMode = jfif;
        enc.encode(p.bottomUp.data(), out.data(), w, h, n, flags, out.size());
        out.resize(n);
        (jfif ? p.jfif : p.stream) = out;
    }
    return p;
}

struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
};
void OnError(j_common_ptr cinfo) {
    std::longjmp(reinterpret_cast<ErrorManager*>(cinfo->err)->jump, 1);
}

void OursEncode(benchmark::State& state, Picture p) {
    JpegEncoder enc(kQuality);
    std::vector<uint8_t> out(JpegEncoder::MaxEncodedSize(p.w, p.h, 3));
    size_t n = 0;
    for (auto _ : state) {
        enc.encode(p.bottomUp.data(), out.data(), p.w, p.h, n, p.h2v2 ? 3 : 0, out.size());
        benchmark::DoNotOptimize(out.data());
    }
}

void OursDecode(benchmark::State& state, Picture p) {
    JpegDecoder dec;
    DecodedPicture pic;
    for (auto _ : state) {
        if (!dec.decode(p.stream.data(), p.stream.size(), p.w, p.h, pic))
            state.SkipWithError("decode");
        benchmark::DoNotOptimize(pic.bgr.data());
    }
}

void LibjpegEncode(benchmark::State& state, Picture p) {
    jpeg_compress_struct c;
    ErrorManager err;
    c.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = OnError;
    jpeg_create_compress(&c);
    std::vector<uint8_t> buffer(JpegEncoder::MaxEncodedSize(p.w, p.h, 3));
    if (setjmp(err.jump)) {
        state.SkipWithError("libjpeg");
        jpeg_destroy_compress(&c);
        return;
    }
    for (auto _ : state) {
        unsigned char* out = buffer.data();
        unsigned long size = buffer.size();
        jpeg_mem_dest(&c, &out, &size);
        c.image_width = static_cast<JDIMENSION>(p.w);
        c.image_height = static_cast<JDIMENSION>(p.h);
        c.input_components = 3;
        c.in_color_space = JCS_EXT_BGR;
        jpeg_set_defaults(&c);
        jpeg_set_quality(&c, kQuality, TRUE);
        c.dct_method = JDCT_IFAST;
        c.comp_info[0].h_samp_factor = c.comp_info[0].v_samp_factor = p.h2v2 ? 2 : 1;
        jpeg_start_compress(&c, TRUE);
        while (c.next_scanline < c.image_height) {
            JSAMPROW rows[16];
            int n = 0;
            for (; n < 16 && c.next_scanline + n < c.image_height; ++n)
                rows[n] = p.topDown.data() + static_cast<size_t>(c.next_scanline + n) * p.w * 3;
            jpeg_write_scanlines(&c, rows, static_cast<JDIMENSION>(n));
        }
        jpeg_finish_compress(&c);
        benchmark::DoNotOptimize(out);
    }
    jpeg_destroy_compress(&c);
}

void LibjpegDecode(benchmark::State& state, Picture p) {
    jpeg_decompress_struct d;
    ErrorManager err;
    d.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = OnError;
    jpeg_create_decompress(&d);
    std::vector<uint8_t> out(static_cast<size_t>(p.w) * p.h * 3);
    if (setjmp(err.jump)) {
        state.SkipWithError("libjpeg");
        jpeg_destroy_decompress(&d);
        return;
    }
    for (auto _ : state) {
        jpeg_mem_src(&d, p.jfif.data(), static_cast<unsigned long>(p.jfif.size()));
        jpeg_read_header(&d, TRUE);
        d.out_color_space = JCS_EXT_BGR;
        d.dct_method = JDCT_IFAST;
        d.do_fancy_upsampling = FALSE;  // replicated chroma, as our decoder does
        jpeg_start_decompress(&d);
        while (d.output_scanline < d.output_height) {
            JSAMPROW rows[16];
            int n = 0;
            for (; n < 16 && d.output_scanline + n < d.output_height; ++n)
                rows[n] = out.data() + static_cast<size_t>(d.output_scanline + n) * p.w * 3;
            jpeg_read_scanlines(&d, rows, static_cast<JDIMENSION>(n));
        }
        jpeg_finish_decompress(&d);
        benchmark::DoNotOptimize(out.data());
    }
    jpeg_destroy_decompress(&d);
}

std::string CaseName(const char* op, const char* impl, const Picture& p) {
    return std::string(op) + "/" + impl + "/" + std::to_string(p.w) + "x" + std::to_string(p.h) +
           (p.h2v2 ? "/420" : "/444");
}

void Register(bool libjpegOnly, const char* libjpegName) {
    for (const Size& s : kSizes) {
        for (bool h2v2 : {false, true}) {
            Picture p = Make(s.w, s.h, h2v2);
            if (!libjpegOnly) {
                benchmark::RegisterBenchmark(CaseName("encode", "ours", p).c_str(), OursEncode, p)
                    ->Unit(benchmark::kMicrosecond);
                benchmark::RegisterBenchmark(CaseName("decode", "ours", p).c_str(), OursDecode, p)
                    ->Unit(benchmark::kMicrosecond);
            }
            benchmark::RegisterBenchmark(CaseName("encode", libjpegName, p).c_str(), LibjpegEncode,
                                         p)
                ->Unit(benchmark::kMicrosecond);
            benchmark::RegisterBenchmark(CaseName("decode", libjpegName, p).c_str(), LibjpegDecode,
                                         p)
                ->Unit(benchmark::kMicrosecond);
        }
    }
}

// Keeps every case's real time per iteration, in microseconds, and prints as usual.
class Recorder : public benchmark::ConsoleReporter {
  public:
    std::map<std::string, double> times;
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& r : runs)
            if (r.run_type == Run::RT_Iteration && !r.error_occurred)
                times[r.benchmark_name()] = r.GetAdjustedCPUTime();
        ConsoleReporter::ReportRuns(runs);
    }
};

}  // namespace

int main(int argc, char** argv) {
    const bool child = std::getenv("FRAMEWISE_BENCH_CHILD") != nullptr;
    std::string args;
    for (int i = 1; i < argc; ++i) args += std::string(" '") + argv[i] + "'";
    Register(child, child ? "libjpeg-nosimd" : "libjpeg-simd");
    benchmark::Initialize(&argc, argv);
    Recorder recorder;
    benchmark::RunSpecifiedBenchmarks(&recorder);
    if (child) {
        for (const auto& [name, t] : recorder.times)
            std::printf("\nRESULT %s %.3f\n", name.c_str(), t);
        return 0;
    }

    std::string cmd = "JSIMD_FORCENONE=1 FRAMEWISE_BENCH_CHILD=1 /proc/" +
                      std::to_string(getpid()) + "/exe" + args;
    std::map<std::string, double> noSimd;
    if (FILE* f = popen(cmd.c_str(), "r")) {
        char line[512];
        while (std::fgets(line, sizeof line, f)) {
            char name[256];
            double t;
            const char* at = std::strstr(line, "RESULT ");
            if (at && std::sscanf(at, "RESULT %255s %lf", name, &t) == 2) noSimd[name] = t;
        }
        pclose(f);
    }
    std::printf(
        "\nTime per picture, quality %d, CPU microseconds (ratio = ours / libjpeg-turbo):\n\n",
        kQuality);
    std::printf(
        "| picture | sampling | operation | ours | turbo SIMD | turbo no-SIMD | ours/SIMD | "
        "ours/no-SIMD |\n");
    std::printf("|---|---|---|---:|---:|---:|---:|---:|\n");
    for (const Size& s : kSizes) {
        for (const char* sampling : {"444", "420"}) {
            for (const char* op : {"encode", "decode"}) {
                std::string tail =
                    "/" + std::to_string(s.w) + "x" + std::to_string(s.h) + "/" + sampling;
                double ours = recorder.times[op + std::string("/ours") + tail];
                double simd = recorder.times[op + std::string("/libjpeg-simd") + tail];
                double none = noSimd[op + std::string("/libjpeg-nosimd") + tail];
                std::printf("| %dx%d | %s | %s | %.1f | %.1f | %.1f | %.2f | %.2f |\n", s.w, s.h,
                            sampling[1] == '4' ? "4:4:4" : "4:2:0", op, ours, simd, none,
                            simd > 0 ? ours / simd : 0.0, none > 0 ? ours / none : 0.0);
            }
        }
    }
    return 0;
}
