// Each bench_*.cpp registers its benchmarks through one of these.
#pragma once

namespace pelmo::bench {

void RegisterMemcpy();       // bench_memcpy.cpp
void RegisterImageStages();  // bench_image.cpp: loading and packing
void RegisterCodecs();       // bench_codecs.cpp
void RegisterWriter();       // bench_writer.cpp

}  // namespace pelmo::bench
