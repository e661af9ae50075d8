#include <algorithm>

#include "specs/espec.h"
#include "specs/espec_fields.h"

namespace nivex::specs {

using namespace codec;

namespace {

struct Reader {
    const Bytes& b;
    void i16(size_t off, int& x) { x = I16(b, off); }
    void f32(size_t off, float& x) { x = F32(b, off); }
    void f64(size_t off, double& x) { x = F64(b, off); }
    void byte(size_t off, uint8_t& x) { x = Byte(b, off); }
    void text(size_t off, size_t n, std::string& x) { x = Text(b, off, n); }
    void zeros(size_t, size_t) {}
};

struct Writer {
    Bytes& b;
    bool ok = true;
    void i16(size_t off, int x) { ok = PutI16(b, off, x) && ok; }
    void f32(size_t off, float x) { PutF32(b, off, x); }
    void f64(size_t off, double x) { PutF64(b, off, x); }
    void byte(size_t off, uint8_t x) { PutByte(b, off, x); }
    void text(size_t off, size_t n, const std::string& x) { PutText(b, off, n, x); }
    void zeros(size_t off, size_t n) {
        for (size_t i = 0; i < n; ++i)
            PutByte(b, off + i, 0);
    }
};

}  // namespace

void Decode(int record, const Bytes& bytes, EspecT& e) {
    Reader r{bytes};
    detail::VisitRecord(record, e, r);
}

bool Encode(int record, const EspecT& e, Bytes& bytes) {
    Bytes out = bytes;  // all or nothing
    Writer w{out};
    detail::VisitRecord(record, e, w);
    if (!w.ok) return false;
    bytes = std::move(out);
    return true;
}

}  // namespace nivex::specs
