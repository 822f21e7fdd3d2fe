// The frame kernels' one source, included by frame_kernels.cpp (baseline) and
// frame_kernels_avx2.cpp (AVX2) inside a namespace of their own. Every vector
// loop computes each lane with the same operations, in the same order, as the
// scalar loop that finishes the last few points, so both give the same bits.
// No include guard: each including file compiles it once. It instantiates no
// template of a shared header, so that no AVX2 copy of one can end up shared
// with the baseline code.

// Four lanes in every build: the baseline build splits them into SSE2 pairs.
typedef double VD __attribute__((vector_size(32)));
typedef int64_t VL __attribute__((vector_size(32)));
typedef int32_t VI __attribute__((vector_size(16)));
typedef uint32_t VU __attribute__((vector_size(16)));
typedef uint16_t VW __attribute__((vector_size(8)));
typedef uint8_t VB __attribute__((vector_size(4)));
constexpr int kLanes = 4;

inline VD load(const double* p) {
    VD v;
    std::memcpy(&v, p, sizeof v);
    return v;
}
inline void store(double* p, VD v) { std::memcpy(p, &v, sizeof v); }
inline VD splat(double d) { return VD{d, d, d, d}; }
// The largest finite double: a value whose magnitude is at most this is a number.
constexpr double kLargestDouble = __DBL_MAX__;
inline VD lane_index() { return VD{0.0, 1.0, 2.0, 3.0}; }
inline VD abs_of(VD v) {
    VL bits;
    std::memcpy(&bits, &v, sizeof bits);
    bits &= 0x7FFFFFFFFFFFFFFFLL;
    std::memcpy(&v, &bits, sizeof v);
    return v;
}
inline VD select(VL mask, VD a, VD b) { return mask ? a : b; }
inline VI select_int(VI mask, VI a, VI b) { return mask ? a : b; }
// Any lane of the mask set.
inline bool any(VL mask) { return (mask[0] | mask[1] | mask[2] | mask[3]) != 0; }
// The four int64 lanes of a mask narrowed to int32 and to bytes.
inline VI narrow(VL mask) { return __builtin_convertvector(mask, VI); }
// The low byte of each of four int32 lanes, by one byte shuffle (the plain
// conversion moves the lanes out one at a time).
inline VB low_bytes(VI lanes) {
    typedef uint8_t VB16 __attribute__((vector_size(16)));
    VB16 bytes;
    std::memcpy(&bytes, &lanes, sizeof bytes);
    bytes = __builtin_shufflevector(bytes, bytes, 0, 4, 8, 12, 0, 4, 8, 12, 0, 4, 8, 12, 0, 4, 8, 12);
    VB out;
    std::memcpy(&out, &bytes, sizeof out);
    return out;
}
// The low 16 bits of each of four int32 lanes.
inline VW low_words(VI lanes) {
    typedef uint8_t VB16 __attribute__((vector_size(16)));
    VB16 bytes;
    std::memcpy(&bytes, &lanes, sizeof bytes);
    bytes = __builtin_shufflevector(bytes, bytes, 0, 1, 4, 5, 8, 9, 12, 13, 0, 1, 4, 5, 8, 9, 12, 13);
    VW out;
    std::memcpy(&out, &bytes, sizeof out);
    return out;
}
inline VB narrow_bytes(VL mask) { return low_bytes(narrow(mask)); }
// Unsigned 32-bit words as doubles (exact): w - 2^31 as a signed word, plus 2^31.
inline VD minus_2p31(VU words) {
    const VU flipped = words ^ 0x80000000u;
    return __builtin_convertvector(reinterpret_cast<const VI&>(flipped), VD);
}

// Four doubles from base at the four indexes. Plain loads: the processor's
// gather instruction is no faster here; one load where the indexes follow
// each other (neighbouring points on the same row of a smooth profile).
inline VD gather(const double* base, VI index) {
    const VI step = index - VI{0, 1, 2, 3};
    if (step[0] == step[1] && step[0] == step[2] && step[0] == step[3]) return load(base + index[0]);
    return VD{base[index[0]], base[index[1]], base[index[2]], base[index[3]]};
}

// The sign bits of the four lanes as the low four bits.
inline unsigned sign_bits(VL mask) {
#if FRAME_KERNELS_AVX2
    VD bits;
    std::memcpy(&bits, &mask, sizeof bits);
    return static_cast<unsigned>(__builtin_ia32_movmskpd256(bits));
#elif defined(__x86_64__)
    typedef double V2 __attribute__((vector_size(16)));
    V2 low, high;
    std::memcpy(&low, &mask, sizeof low);
    std::memcpy(&high, reinterpret_cast<const char*>(&mask) + sizeof low, sizeof high);
    return static_cast<unsigned>(__builtin_ia32_movmskpd(low) | (__builtin_ia32_movmskpd(high) << 2));
#else
    return (mask[0] < 0 ? 1u : 0u) | (mask[1] < 0 ? 2u : 0u) | (mask[2] < 0 ? 4u : 0u) | (mask[3] < 0 ? 8u : 0u);
#endif
}

inline bool invalid_at(double v, double invalid, double tolerance) {
    return std::fabs(v - invalid) < tolerance;
}

void fill(double* values, int n, double value) {
    const VD v = splat(value);
    int i = 0;
    for (; i + kLanes <= n; i += kLanes) store(values + i, v);
    for (; i < n; ++i) values[i] = value;
}

void raw16_to_distances(const uint16_t* raw, double* out, int n, double scale, double base,
                        double noPeak) {
    int i = 0;
    for (; i + kLanes <= n; i += kLanes) {
        VW words;
        std::memcpy(&words, raw + i, sizeof words);
        const VD word = __builtin_convertvector(__builtin_convertvector(words, VI), VD);
        const VD distance = base - (word - 32768.0) * scale;
        store(out + i, select(word == 0.0, splat(noPeak), distance));
    }
    for (; i < n; ++i) {
        const uint16_t word = raw[i];
        out[i] = word == 0 ? noPeak : base - (static_cast<double>(word) - 32768.0) * scale;
    }
}

void raw32_to_distances(const uint32_t* raw, double* out, int n, double base, double noPeak) {
    constexpr double kInv256 = 1.0 / 256.0;
    int i = 0;
    for (; i + kLanes <= n; i += kLanes) {
        VU words;
        std::memcpy(&words, raw + i, sizeof words);
        const VD distance = (base - minus_2p31(words)) * kInv256;
        const VL zero = __builtin_convertvector(reinterpret_cast<const VI&>(words) == 0, VL);
        store(out + i, select(zero, splat(noPeak), distance));
    }
    for (; i < n; ++i) {
        const uint32_t word = raw[i];
        out[i] = word == 0 ? noPeak : (base - (static_cast<double>(word) - 2147483648.0)) * kInv256;
    }
}

void x_positions(const double* dist, double* x, int n, int firstOffset, const double coef[5],
                 double invalid) {
    const double a = coef[0], b = coef[1], c = coef[2], d = coef[3], e = coef[4];
    int i = 0;
    for (; i + kLanes <= n; i += kLanes) {
        const VD D = load(dist + i);
        const VD column = static_cast<double>(firstOffset + i) + lane_index();
        const VD value = (a * D * D + b * D + c) * column + (d * D + e);
        store(x + i, select(abs_of(D - invalid) < kInvalidTolerance, splat(invalid), value));
    }
    for (; i < n; ++i) {
        const double D = dist[i];
        x[i] = invalid_at(D, invalid, kInvalidTolerance)
                   ? invalid
                   : (a * D * D + b * D + c) * static_cast<double>(firstOffset + i) + (d * D + e);
    }
}

void clip_heights(double* z, int n, double reference, double lower, double upper, double noPeak,
                  double invalid) {
    int i = 0;
    for (; i + kLanes <= n; i += kLanes) {
        const VD D = load(z + i);
        const VD h = reference - D;
        // Written so that a distance that is no number is out as well.
        const VL out = (D == noPeak) | ~((h >= lower) & (h <= upper));
        store(z + i, select(out, splat(invalid), h));
    }
    for (; i < n; ++i) {
        if (z[i] == noPeak) {
            z[i] = invalid;
            continue;
        }
        const double h = reference - z[i];
        z[i] = (h >= lower && h <= upper) ? h : invalid;
    }
}

void rotate(double* x, double* z, int n, double c, double s, double invalid) {
    int i = 0;
    for (; i + kLanes <= n; i += kLanes) {
        const VD x0 = load(x + i), z0 = load(z + i);
        const VL off = abs_of(z0 - invalid) < kInvalidTolerance;
        store(x + i, select(off, splat(invalid), x0 * c - z0 * s));
        store(z + i, select(off, splat(invalid), x0 * s + z0 * c));
    }
    for (; i < n; ++i) {
        if (invalid_at(z[i], invalid, kInvalidTolerance)) {
            x[i] = invalid;
            z[i] = invalid;
            continue;
        }
        const double x0 = x[i], z0 = z[i];
        x[i] = x0 * c - z0 * s;
        z[i] = x0 * s + z0 * c;
    }
}

void peak_rows(const uint8_t* words, double* rows, int n, int cameraRows, double noPeak) {
    constexpr double kFraction = 0.0000152587890625;  // 2^-16
    const double limit = cameraRows;
    int i = 0;
    for (; i + kLanes <= n; i += kLanes) {
        VU w;
        std::memcpy(&w, words + 4 * i, sizeof w);  // little-endian host
        const VD row = (minus_2p31(w) + 2147483648.0) * kFraction;
        store(rows + i, select((row <= 0.0) | (row >= limit), splat(noPeak), row));
    }
    for (; i < n; ++i) {
        uint32_t w;
        std::memcpy(&w, words + 4 * i, sizeof w);
        const double row = w * kFraction;
        rows[i] = row <= 0.0 || row >= limit ? noPeak : row;
    }
}

void interpolate_rows(const double* table, int rowStep, int tableRows, int tableColumns,
                      const double* rows, int firstColumn, int n, double* out, double noPeak,
                      double lower, double upper) {
    const double lastRow = tableRows - 1;
    // The points whose column lies in the table, [begin, end); the others have no distance.
    const long long firstInside = -static_cast<long long>(firstColumn);
    const long long pastInside = static_cast<long long>(tableColumns) - firstColumn;
    const int begin = static_cast<int>(firstInside < 0 ? 0 : firstInside < n ? firstInside : n);
    const int end = static_cast<int>(pastInside < begin ? begin : pastInside < n ? pastInside : n);
    for (int i = 0; i < begin; ++i) out[i] = noPeak;
    for (int i = end; i < n; ++i) out[i] = noPeak;
    auto limited = [&](double d) { return d < lower || d > upper ? noPeak : d; };
    int i = begin;
    for (; i + kLanes <= end; i += kLanes) {
        const VD r = load(rows + i);
        const VL usable = (r > 0.0) & ~(r >= lastRow);
        // Lanes without a usable row read row 0 of their column and are replaced.
        const VI c = narrow(usable) & __builtin_convertvector(select(usable, r, splat(0.0)), VI);
        const double* column = table + (firstColumn + i);
        VD low, high;
        if (c[0] == c[1] && c[0] == c[2] && c[0] == c[3]) {
            // Neighbouring points on the same row (a smooth profile): one load each.
            const double* below = column + static_cast<size_t>(c[0]) * rowStep;
            low = load(below);
            high = load(below + rowStep);
        } else {
            for (int lane = 0; lane < kLanes; ++lane) {
                const double* below = column + static_cast<size_t>(c[lane]) * rowStep + lane;
                low[lane] = below[0];
                high[lane] = below[rowStep];
            }
        }
        const VD cd = __builtin_convertvector(c, VD);
        const VD d = select(usable, (r - cd) * high + ((cd + 1.0) - r) * low, splat(noPeak));
        store(out + i, select((d < lower) | (d > upper), splat(noPeak), d));
    }
    for (; i < end; ++i) {
        const double r = rows[i];
        out[i] = noPeak;
        if (!(r > 0.0) || r >= lastRow) continue;
        const int c = static_cast<int>(r);
        const double* below = table + static_cast<size_t>(c) * rowStep + (firstColumn + i);
        out[i] = limited((r - c) * below[rowStep] + (c + 1 - r) * *below);
    }
}

void limit_distances(double* distances, int n, double lower, double upper, double noPeak) {
    int i = 0;
    for (; i + kLanes <= n; i += kLanes) {
        const VD d = load(distances + i);
        store(distances + i, select((d < lower) | (d > upper), splat(noPeak), d));
    }
    for (; i < n; ++i)
        if (distances[i] < lower || distances[i] > upper) distances[i] = noPeak;
}

int next_invalid(const double* z, int from, int end, double invalid, double tolerance) {
    int i = from;
    for (; i + kLanes <= end; i += kLanes)
        if (any(abs_of(load(z + i) - invalid) < tolerance)) break;
    for (; i < end; ++i)
        if (invalid_at(z[i], invalid, tolerance)) return i;
    return end;
}

int next_fold(const double* x, int from, int end) {
    int i = from;
    for (; i + kLanes <= end; i += kLanes)
        if (any(load(x + i + 1) <= load(x + i))) break;
    for (; i < end; ++i)
        if (x[i + 1] <= x[i]) return i;
    return end;
}

bool non_decreasing(const double* v, int n) {
    const int end = n - 1;
    int i = 0;
    VL falling = {0, 0, 0, 0};
    for (; i + kLanes <= end; i += kLanes) falling |= ~(load(v + i) <= load(v + i + 1));
    if (any(falling)) return false;
    for (; i < end; ++i)
        if (!(v[i] <= v[i + 1])) return false;
    return true;
}

void classify_segments(const double* x, const double* z, const int32_t* marks, int n,
                       double slopeThreshold, double stepThreshold, double widest,
                       double invalid, uint8_t* kinds) {
    const int segments = n - 1;
    int s = 0;
    for (; s + kLanes <= segments; s += kLanes) {
        VI left, right;
        std::memcpy(&left, marks + s, sizeof left);
        std::memcpy(&right, marks + s + 1, sizeof right);
        const VL marked = __builtin_convertvector((left == 1) | (right == 1), VL);
        const VD z0 = load(z + s), z1 = load(z + s + 1);
        const VL invalidEnd = (abs_of(z0 - invalid) < kInvalidTolerance) |
                              (abs_of(z1 - invalid) < kInvalidTolerance);
        const VD dx = load(x + s + 1) - load(x + s);
        const VD dz = z1 - z0;
        // The slope's division only where a step is large enough to matter.
        const VL step = abs_of(dz) >= stepThreshold;
        VL steep = dx > widest;
        if (sign_bits(step) != 0) steep |= step & (abs_of(dz / dx) >= slopeThreshold);
        const VL kind = marked ? VL{kSegmentMarked, kSegmentMarked, kSegmentMarked, kSegmentMarked}
                      : invalidEnd ? VL{kSegmentInvalidEnd, kSegmentInvalidEnd, kSegmentInvalidEnd, kSegmentInvalidEnd}
                      : steep ? VL{kSegmentSteep, kSegmentSteep, kSegmentSteep, kSegmentSteep}
                              : VL{0, 0, 0, 0};
        const VB bytes = low_bytes(narrow(kind));
        std::memcpy(kinds + s, &bytes, sizeof bytes);
    }
    for (; s < segments; ++s) {
        uint8_t kind = kSegmentInterpolated;
        if (marks[s] == 1 || marks[s + 1] == 1) {
            kind = kSegmentMarked;
        } else if (invalid_at(z[s], invalid, kInvalidTolerance) ||
                   invalid_at(z[s + 1], invalid, kInvalidTolerance)) {
            kind = kSegmentInvalidEnd;
        } else {
            const double dx = x[s + 1] - x[s];
            const double dz = z[s + 1] - z[s];
            if ((std::fabs(dz) >= stepThreshold && std::fabs(dz / dx) >= slopeThreshold) ||
                dx > widest)
                kind = kSegmentSteep;
        }
        kinds[s] = kind;
    }
}

void widen_bytes(const uint8_t* bytes, double* out, int n) {
    int i = 0;
    for (; i + kLanes <= n; i += kLanes) {
        VB b;
        std::memcpy(&b, bytes + i, sizeof b);
        store(out + i, __builtin_convertvector(b, VD));
    }
    for (; i < n; ++i) out[i] = bytes[i];
}

bool uniform_grid(const double* grid, int count) {
    const double origin = count > 0 ? grid[0] : 0.0;
    const double pitch = count >= 2 ? grid[1] - grid[0] : 0.0;
    if (!(count >= 2 && pitch > 0.0 && pitch < 1e300 && std::fabs(origin) < 1e300)) return false;
    // Every grid point within a millionth of the pitch of origin + i x pitch
    // (the rounding of those values and of t in count_grid_points is far smaller).
    const double tolerance = 1e-6 * pitch - 1e-12 * (std::fabs(origin) + count * pitch);
    if (!(tolerance > 0.0 && count <= (1 << 24))) return false;
    VL off = {0, 0, 0, 0};
    int i = 0;
    for (; i + kLanes <= count; i += kLanes) {
        const VD model = origin + (static_cast<double>(i) + lane_index()) * pitch;
        off |= ~(abs_of(load(grid + i) - model) <= tolerance);
    }
    bool uniform = sign_bits(off) == 0;
    for (; uniform && i < count; ++i) uniform = std::fabs(grid[i] - (origin + i * pitch)) <= tolerance;
    return uniform;
}

void count_grid_points(const double* limits, int n, const double* grid, int count, bool uniform,
                       int32_t* out) {
    // Binary search: the first grid point above the limit.
    auto exact = [&](double limit) {
        int low = 0, high = count;
        while (low < high) {
            const int middle = low + (high - low) / 2;
            if (grid[middle] <= limit)
                low = middle + 1;
            else
                high = middle;
        }
        return low;
    };
    const double origin = count > 0 ? grid[0] : 0.0;
    const double pitch = count >= 2 ? grid[1] - grid[0] : 0.0;
    if (!(count >= 2 && pitch > 0.0 && pitch < 1e300 && std::fabs(origin) < 1e300)) {
        for (int k = 0; k < n; ++k) out[k] = exact(limits[k]);
        return;
    }
    const double perPitch = 1.0 / pitch;
    if (!uniform) {
        // Guessed from the pitch, checked and searched where wrong.
        const double top = count;
        for (int k = 0; k < n; ++k) {
            const double limit = limits[k];
            double guess = (limit - origin) * perPitch + 1.0;
            guess = guess > 0.0 ? guess : 0.0;
            guess = guess < top ? guess : top;
            const int c = static_cast<int>(guess);
            const bool right = (c == 0 || grid[c - 1] <= limit) && (c == count || !(grid[c] <= limit));
            out[k] = right ? c : exact(limit);
        }
        return;
    }
    // Uniform within a millionth of the pitch: a limit at t = (limit - origin) /
    // pitch pitches, at least a ten-thousandth of a pitch away from a grid
    // point, has floor(t) + 1 grid points at or below it (0 to count). Limits
    // closer to a grid point are searched.
    constexpr double kMargin = 1e-4;
    const double last = count - 1;
    int k = 0;
    for (; k + kLanes <= n; k += kLanes) {
        const VD t = (load(limits + k) - origin) * perPitch;
        const VD held = select(t > -2.0, select(t < last + 2.0, t, splat(last + 2.0)), splat(-2.0));
        VD whole = __builtin_convertvector(__builtin_convertvector(held, VI), VD);
        whole = select(whole > held, whole - 1.0, whole);  // floor
        const VD fraction = held - whole;
        const VL clear = (t < -kMargin) | (t > last + kMargin) |
                         ((fraction > kMargin) & (fraction < 1.0 - kMargin));
        VD c = whole + 1.0;
        c = select(c > 0.0, c, splat(0.0));
        c = select(c < last + 1.0, c, splat(last + 1.0));
        const VI counts = __builtin_convertvector(c, VI);
        std::memcpy(out + k, &counts, sizeof counts);
        if (sign_bits(~clear) != 0)
            for (int lane = 0; lane < kLanes; ++lane)
                if (!clear[lane]) out[k + lane] = exact(limits[k + lane]);
    }
    for (; k < n; ++k) out[k] = exact(limits[k]);
}

// Two neighbours of a row for each of two grid points: (row[a], row[a + 1],
// row[b], row[b + 1]).
inline VD pairs(const double* row, int a, int b) {
    typedef double V2 __attribute__((vector_size(16)));
    V2 first, second;
    std::memcpy(&first, row + a, sizeof first);
    std::memcpy(&second, row + b, sizeof second);
    return __builtin_shufflevector(first, second, 0, 1, 2, 3);
}

void interpolate_grid(const double* x, const double* z, const double* gray,
                      const int32_t* segment, const double* grid, double* heights,
                      uint8_t* grayOut, int count, bool maskInvalid, double invalid) {
    // Pairs of points 0 and 2, and 1 and 3: interleaving them within each half
    // gives the four left ends in order, and the four right ends.
    int i = 0;
    for (; i + kLanes <= count; i += kLanes) {
        const int s0 = segment[i], s1 = segment[i + 1], s2 = segment[i + 2], s3 = segment[i + 3];
        const VD xa = pairs(x, s0, s2), xb = pairs(x, s1, s3);
        const VD za = pairs(z, s0, s2), zb = pairs(z, s1, s3);
        const VD ga = pairs(gray, s0, s2), gb = pairs(gray, s1, s3);
        const VD x0 = __builtin_shufflevector(xa, xb, 0, 4, 2, 6), x1 = __builtin_shufflevector(xa, xb, 1, 5, 3, 7);
        const VD z0 = __builtin_shufflevector(za, zb, 0, 4, 2, 6), z1 = __builtin_shufflevector(za, zb, 1, 5, 3, 7);
        const VD g0 = __builtin_shufflevector(ga, gb, 0, 4, 2, 6), g1 = __builtin_shufflevector(ga, gb, 1, 5, 3, 7);
        const VD g = load(grid + i);
        const VD dx = x1 - x0;
        const VD wl = x1 - g;
        const VD wr = g - x0;
        const VL flat = dx == 0.0;
        const VD interpolated = select(flat, z0, (wr * z1 + wl * z0) / dx);
        // Ends too far apart for doubles (x beyond any camera) give no number:
        // that grid point is invalid.
        const VL number = abs_of(interpolated) <= kLargestDouble;
        const VD h = select(number, interpolated, splat(invalid));
        const VD levelValue = select(flat, g0, (wr * g1 + wl * g0) / dx);
        const VL byteValue = number & (levelValue >= 0.0) & (levelValue < 256.0);
        VI level = __builtin_convertvector(select(byteValue, levelValue, splat(0.0)), VI);
        if (maskInvalid) level &= ~narrow(abs_of(h - invalid) < kInvalidTolerance);
        store(heights + i, h);
        const VB bytes = low_bytes(level);
        std::memcpy(grayOut + i, &bytes, sizeof bytes);
    }
    for (; i < count; ++i) {
        const int s = segment[i];
        const double x0 = x[s], x1 = x[s + 1], g = grid[i];
        const double dx = x1 - x0;
        double h;
        uint8_t level;
        if (dx == 0.0) {
            h = z[s];
            level = static_cast<uint8_t>(gray[s]);
        } else {
            const double wl = x1 - g;
            const double wr = g - x0;
            h = (wr * z[s + 1] + wl * z[s]) / dx;
            const double levelValue = (wr * gray[s + 1] + wl * gray[s]) / dx;
            const bool number = std::fabs(h) <= kLargestDouble;
            level = number && levelValue >= 0.0 && levelValue < 256.0
                        ? static_cast<uint8_t>(static_cast<int>(levelValue))
                        : 0;
            if (!number) h = invalid;
        }
        if (maskInvalid && invalid_at(h, invalid, kInvalidTolerance)) level = 0;
        heights[i] = h;
        grayOut[i] = level;
    }
}

void mask_invalid_gray(const double* heights, uint8_t* gray, int n, double invalid) {
    int i = 0;
    for (; i + kLanes <= n; i += kLanes) {
        const VB keep = ~narrow_bytes(abs_of(load(heights + i) - invalid) < kInvalidTolerance);
        VB g;
        std::memcpy(&g, gray + i, sizeof g);
        g &= keep;
        std::memcpy(gray + i, &g, sizeof g);
    }
    for (; i < n; ++i)
        if (invalid_at(heights[i], invalid, kInvalidTolerance)) gray[i] = 0;
}

void reverse(double* heights, uint8_t* gray, int n) {
    // Blocks of four from both ends while they do not meet, then point by point.
    int front = 0, back = n - kLanes;
    for (; front + kLanes <= back; front += kLanes, back -= kLanes) {
        const VD low = load(heights + front), high = load(heights + back);
        store(heights + front, __builtin_shufflevector(high, high, 3, 2, 1, 0));
        store(heights + back, __builtin_shufflevector(low, low, 3, 2, 1, 0));
        VB lowGray, highGray;
        std::memcpy(&lowGray, gray + front, sizeof lowGray);
        std::memcpy(&highGray, gray + back, sizeof highGray);
        lowGray = __builtin_shufflevector(lowGray, lowGray, 3, 2, 1, 0);
        highGray = __builtin_shufflevector(highGray, highGray, 3, 2, 1, 0);
        std::memcpy(gray + front, &highGray, sizeof highGray);
        std::memcpy(gray + back, &lowGray, sizeof lowGray);
    }
    for (int j = front, k = back + kLanes - 1; j < k; ++j, --k) {
        // No std::swap: this file instantiates no template of a shared header.
        const double h = heights[j];
        heights[j] = heights[k];
        heights[k] = h;
        const uint8_t g = gray[j];
        gray[j] = gray[k];
        gray[k] = g;
    }
}

void negate(double* heights, int n, double invalid) {
    int i = 0;
    for (; i + kLanes <= n; i += kLanes) {
        const VD h = load(heights + i);
        store(heights + i, select(h > invalid, -h, h));
    }
    for (; i < n; ++i)
        if (heights[i] > invalid) heights[i] = -heights[i];
}

void shift_and_scale(double* heights, int n, bool shift, double offset, bool scale,
                     double factor) {
    int i = 0;
    for (; i + kLanes <= n; i += kLanes) {
        VD h = load(heights + i);
        if (shift) h = select(abs_of(h - kInvalidHeight) < kInvalidTolerance, h, h - offset);
        if (scale) h = select(abs_of(h - kInvalidHeight) < kInvalidTolerance, h, h * factor);
        store(heights + i, h);
    }
    for (; i < n; ++i) {
        if (shift && !invalid_at(heights[i], kInvalidHeight, kInvalidTolerance)) heights[i] -= offset;
        if (scale && !invalid_at(heights[i], kInvalidHeight, kInvalidTolerance)) heights[i] *= factor;
    }
}

void add_z_offsets(double* heights, int n, const double* offsets) {
    int j = 0;
    for (; j + kLanes <= n; j += kLanes) {
        const VD h = load(heights + j);
        store(heights + j, select((h > -9998999.0) & (h < 9998999.0), h + load(offsets + j), h));
    }
    for (; j < n; ++j) {
        const double h = heights[j];
        if (h > -9998999.0 && h < 9998999.0) heights[j] = h + offsets[j];
    }
}

void bin(double* heights, uint8_t* gray, int count, int factor, int kept) {
    int i = 0;
    if (factor == 2) {
        // Point i reads 2i and 2i + 1 ahead of every point written so far.
        for (; i + kLanes <= kept && 2 * i + 2 * kLanes <= count; i += kLanes) {
            const VD evens = __builtin_shufflevector(load(heights + 2 * i), load(heights + 2 * i + kLanes), 0, 2, 4, 6);
            store(heights + i, evens);
            for (int k = 0; k < kLanes; ++k) gray[i + k] = gray[2 * (i + k)];
        }
    }
    for (; i < kept; ++i) {
        long long source = static_cast<long long>(i) * factor;
        if (source >= count) source = count - 1;
        heights[i] = heights[source];
        gray[i] = gray[source];
    }
}

void bin_from(double* heights, uint8_t* gray, const double* fromHeights, const uint8_t* fromGray, int count,
              int factor, int kept, const double* offsets, int offsetCount) {
    const int withOffsets = offsets ? (offsetCount < count ? offsetCount : count) : 0;
    auto finish = [&](int j, double h) {
        if (j < withOffsets && h > -9998999.0 && h < 9998999.0) h += offsets[j];
        heights[j] = h;
    };
    // Four heights from i on, with their offsets.
    auto finishFour = [&](int i, VD h) {
        if (i + kLanes <= withOffsets)
            store(heights + i, select((h > -9998999.0) & (h < 9998999.0), h + load(offsets + i), h));
        else
            for (int lane = 0; lane < kLanes; ++lane) finish(i + lane, h[lane]);
    };
    int i = 0;
    if (factor == 2) {
        for (; i + kLanes <= kept && 2 * i + 2 * kLanes <= count; i += kLanes) {
            finishFour(i, __builtin_shufflevector(load(fromHeights + 2 * i), load(fromHeights + 2 * i + kLanes), 0, 2, 4, 6));
            for (int k = 0; k < kLanes; ++k) gray[i + k] = fromGray[2 * (i + k)];
        }
    }
    for (; i < kept; ++i) {
        long long source = static_cast<long long>(i) * factor;
        if (source >= count) source = count - 1;
        finish(i, fromHeights[source]);
        gray[i] = fromGray[source];
    }
    if (i < count) std::memcpy(gray + i, fromGray + i, static_cast<size_t>(count - i));
    for (; i + kLanes <= count; i += kLanes) finishFour(i, load(fromHeights + i));
    for (; i < count; ++i) finish(i, fromHeights[i]);
}

void valid_bits(const double* heights, int n, double invalid, uint64_t* bits) {
    const int words = (n + 63) / 64;
    for (int w = 0; w < words; ++w) {
        const int begin = 64 * w;
        const int end = begin + 64 < n ? begin + 64 : n;
        uint64_t word = 0;
        int i = begin;
        for (; i + kLanes <= end; i += kLanes)
            word |= static_cast<uint64_t>(sign_bits(load(heights + i) > invalid)) << (i - begin);
        for (; i < end; ++i) word |= static_cast<uint64_t>(heights[i] > invalid) << (i - begin);
        bits[w] = word;
    }
}

void to_int100(const double* heights, int32_t* out, int n) {
    constexpr double kBelowMin = -2147483649.0;
    constexpr double kAboveMax = 2147483648.0;
    constexpr int32_t kMax = 2147483647;
    constexpr int32_t kMin = -2147483647 - 1;
    int i = 0;
    for (; i + kLanes <= n; i += kLanes) {
        const VD v = load(heights + i) * 100.0;
        const VL inside = (v > kBelowMin) & (v < kAboveMax);
        // Lanes outside the range are converted from 0 and then replaced.
        const VI truncated = __builtin_convertvector(select(inside, v, splat(0.0)), VI);
        const VI ends = narrow(v >= kAboveMax) ? VI{kMax, kMax, kMax, kMax} : VI{kMin, kMin, kMin, kMin};
        const VI result = narrow(inside) ? truncated : ends;
        std::memcpy(out + i, &result, sizeof result);
    }
    for (; i < n; ++i) {
        const double v = heights[i] * 100.0;
        if (v > kBelowMin && v < kAboveMax)
            out[i] = static_cast<int32_t>(v);
        else
            out[i] = v >= kAboveMax ? kMax : kMin;
    }
}

void to_u16(const double* heights, uint16_t* out, int n, double factor, double offsetA,
            double offsetB, double invalid) {
    int i = 0;
    for (; i + kLanes <= n; i += kLanes) {
        const VD h = load(heights + i);
        const VD v = factor * (h * 256.0 + offsetA - offsetB) + 32768.0;
        const VL ok = ~(abs_of(h - invalid) < kInvalidTolerance) & (v > 0.0) & (v < 65535.0);
        const VI code = __builtin_convertvector(select(ok, v, splat(0.0)), VI);
        const VW result = low_words(code);
        std::memcpy(out + i, &result, sizeof result);
    }
    for (; i < n; ++i) {
        const double h = heights[i];
        out[i] = 0;
        if (invalid_at(h, invalid, kInvalidTolerance)) continue;
        const double v = factor * (h * 256.0 + offsetA - offsetB) + 32768.0;
        if (v > 0.0 && v < 65535.0) out[i] = static_cast<uint16_t>(v);
    }
}

void to_extended_codes(const double* heights, int32_t* out, int n, double scale, double offsetA,
                       double offsetB, double invalid, double zOffset) {
    int i = 0;
    for (; i + kLanes <= n; i += kLanes) {
        const VD h = load(heights + i);
        const VD v = ((h + zOffset) * 256.0 + offsetA - offsetB) * scale / 65536.0 / 256.0 + 32768.0;
        const VL ok = ~(abs_of(h - invalid) < kInvalidTolerance) & (v > 0.0) & (v < 65536.0);
        const VI code = __builtin_convertvector(select(ok, v, splat(0.0)), VI);
        std::memcpy(out + i, &code, sizeof code);
    }
    for (; i < n; ++i) {
        out[i] = 0;
        const double h = heights[i];
        if (invalid_at(h, invalid, kInvalidTolerance)) continue;
        const double v = ((h + zOffset) * 256.0 + offsetA - offsetB) * scale / 65536.0 / 256.0 + 32768.0;
        if (v > 0.0 && v < 65536.0) out[i] = static_cast<int32_t>(v);
    }
}

void apply_gray_table(const uint8_t table[256], uint8_t* gray, int n) {
    for (int i = 0; i < n; ++i) gray[i] = table[gray[i]];
}

const FrameKernels kKernels = {
    kKernelName,     fill,          raw16_to_distances, raw32_to_distances, x_positions,
    clip_heights,    rotate,        peak_rows,          interpolate_rows,   limit_distances,
    next_invalid,    next_fold,     non_decreasing,     classify_segments,  count_grid_points,
    uniform_grid,    interpolate_grid,
    widen_bytes,     mask_invalid_gray,
    reverse,         negate,
    shift_and_scale, add_z_offsets, bin,                bin_from,           valid_bits,         to_int100,
    to_u16,
    to_extended_codes, apply_gray_table,
};
