#include "PhotoDecoder.h"

#include "PhotoOrientation.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QPainter>

#include <algorithm>
#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <vector>

#include <jpeglib.h>
#include <jerror.h>

namespace dorimek::platform {
namespace {

// Far beyond any camera photo, but small enough that a forged header can't
// make the program reserve gigabytes for one cell of a sheet.
constexpr qint64 kMaxDecodedPixels = 120'000'000;
// What libjpeg may hold besides the output. A progressive or multi-scan file
// keeps the coefficients of the whole picture at full size, whatever the
// output scale: a header of a few hundred bytes claiming 12000 x 52000
// pixels would otherwise take gigabytes and seconds before its data is found
// missing. Enough for a progressive picture of kMaxDecodedPixels.
constexpr long kMaxDecoderMemory = 1024L * 1024 * 1024;
// No side longer than a JPEG's can be: Qt's scaled read of a palette bitmap
// taller than about four million rows crashes the program, and a bitmap of
// a few dozen bytes can claim that many.
constexpr int kMaxBitmapSide = 65535;
constexpr size_t kReadChunk = 64 * 1024;

// The whole path: the user has to find the file to mend it.
QString shownName(const QString& path) {
    return QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
}

QString openFailure(const QString& path) {
    return QStringLiteral("写真ファイル「%1」を開けません。").arg(shownName(path));
}

QString tooLarge(const QString& path, qint64 w, qint64 h) {
    return QStringLiteral("写真ファイル「%1」は大きすぎて読み込めません（%2×%3画素）。")
        .arg(shownName(path))
        .arg(w)
        .arg(h);
}

// Why a photo didn't decode, in the user's words. The decoders' own texts
// are English and name markers and bytes; none of them is shown.
enum class Damage { Empty, NotOfKind, CutOff, Damaged };

QString damageReason(Damage d, PhotoKind kind) {
    switch (d) {
        case Damage::Empty:
            return QStringLiteral("空のファイルです");
        case Damage::NotOfKind:
            return kind == PhotoKind::Jpeg ? QStringLiteral("JPEG画像ではありません")
                   : kind == PhotoKind::Bitmap ? QStringLiteral("ビットマップ画像ではありません")
                                               : QStringLiteral("画像ではありません");
        case Damage::CutOff:
            return QStringLiteral("ファイルが途中で切れています");
        case Damage::Damaged:
            break;
    }
    return QStringLiteral("ファイルが壊れています");
}

QString kindName(PhotoKind kind) {
    switch (kind) {
        case PhotoKind::Jpeg:
            return QStringLiteral("JPEG画像");
        case PhotoKind::Bitmap:
            return QStringLiteral("ビットマップ画像");
        case PhotoKind::Other:
            break;
    }
    return QStringLiteral("画像");
}

QString undecodable(const QString& path, PhotoKind kind, const QString& reason) {
    return QStringLiteral("写真ファイル「%1」を%2として読み込めません（%3）。")
        .arg(shownName(path), kindName(kind), reason);
}

QString undecodable(const QString& path, PhotoKind kind, Damage d) {
    return undecodable(path, kind, damageReason(d, kind));
}

QString unknownFormat(const QString& path) {
    return QStringLiteral(
               "写真ファイル「%1」は、読み込める画像の形式（JPEG、ビットマップ、PNG "
               "など）ではありません。")
        .arg(shownName(path));
}

// Transparent parts of a picture stand on the sheet's white, not on black.
QImage onWhite(QImage image) {
    if (!image.hasAlphaChannel()) {
        return image.format() == QImage::Format_RGB32 ? image
                                                      : image.convertToFormat(QImage::Format_RGB32);
    }
    QImage out(image.size(), QImage::Format_RGB32);
    if (out.isNull()) return {};
    out.fill(Qt::white);
    QPainter painter(&out);
    painter.drawImage(0, 0, image);
    painter.end();
    return out;
}

// ---- JPEG through libjpeg, with errors brought back instead of exit() ----

struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    int code = 0;            // libjpeg's message code of the error
    bool tooLarge = false;   // our own limit, not libjpeg's
    bool dataMissing = false;  // a warning that parts of the picture are filled in grey
};

struct FileSource {
    jpeg_source_mgr pub;
    QFile* file = nullptr;
    bool endReached = false;
    bool dataRanOut = false;  // the image needed bytes the file didn't have
    JOCTET buffer[kReadChunk];
};

struct JpegSession {
    jpeg_decompress_struct cinfo{};
    ErrorManager err{};
    FileSource src{};
    QFile file;
    bool created = false;
    int orientation = 1;  // the Exif tag's: how the stored rows must be turned
    QImage image;
    std::vector<JSAMPLE> cmykRow;
};

[[noreturn]] void errorExit(j_common_ptr cinfo) {
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    err->code = cinfo->err->msg_code;
    std::longjmp(err->jump, 1);
}

void silentOutput(j_common_ptr) {}

void emitMessage(j_common_ptr cinfo, int level) {
    // Warnings that come after the file ran out mean the picture was cut off,
    // and so do those saying the scan data stopped early (the decoder fills
    // the rest in grey: a header claiming more pixels than the data holds).
    // Extraneous bytes before a marker are common in camera files and
    // harmless.
    if (level < 0) {
        auto* d = reinterpret_cast<j_decompress_ptr>(cinfo);
        auto* src = reinterpret_cast<FileSource*>(d->src);
        if (src != nullptr && src->endReached) src->dataRanOut = true;
        const int code = cinfo->err->msg_code;
        if (code == JWRN_HIT_MARKER || code == JWRN_JPEG_EOF || code == JWRN_MUST_RESYNC) {
            reinterpret_cast<ErrorManager*>(cinfo->err)->dataMissing = true;
        }
        cinfo->err->num_warnings++;
    }
}

void initSource(j_decompress_ptr) {}

boolean fillInputBuffer(j_decompress_ptr cinfo) {
    auto* src = reinterpret_cast<FileSource*>(cinfo->src);
    const qint64 n = src->file->read(reinterpret_cast<char*>(src->buffer), kReadChunk);
    if (n <= 0) {
        // Like libjpeg's own sources: hand over an end marker so the decoder
        // stops cleanly, and remember that the file ended here.
        src->endReached = true;
        src->buffer[0] = 0xFF;
        src->buffer[1] = JPEG_EOI;
        src->pub.next_input_byte = src->buffer;
        src->pub.bytes_in_buffer = 2;
        return TRUE;
    }
    src->pub.next_input_byte = src->buffer;
    src->pub.bytes_in_buffer = static_cast<size_t>(n);
    return TRUE;
}

void skipInputData(j_decompress_ptr cinfo, long count) {
    auto* src = reinterpret_cast<FileSource*>(cinfo->src);
    if (count <= 0) return;
    const auto want = static_cast<size_t>(count);
    if (want <= src->pub.bytes_in_buffer) {
        src->pub.next_input_byte += want;
        src->pub.bytes_in_buffer -= want;
        return;
    }
    const qint64 rest = static_cast<qint64>(want - src->pub.bytes_in_buffer);
    src->pub.bytes_in_buffer = 0;
    const qint64 target = src->file->pos() + rest;
    if (target > src->file->size()) {
        src->file->seek(src->file->size());
        fillInputBuffer(cinfo);
        return;
    }
    src->file->seek(target);
}

void termSource(j_decompress_ptr) {}

void convertCmykRow(const JSAMPLE* in, QRgb* out, int width, bool inverted) {
    for (int x = 0; x < width; ++x) {
        int c = in[4 * x], m = in[4 * x + 1], y = in[4 * x + 2], k = in[4 * x + 3];
        if (!inverted) {
            c = 255 - c;
            m = 255 - m;
            y = 255 - y;
            k = 255 - k;
        }
        out[x] = qRgb(c * k / 255, m * k / 255, y * k / 255);
    }
}

enum class JpegStep { Header, Decode };

int orientationOf(j_decompress_ptr cinfo) {
    for (jpeg_saved_marker_ptr m = cinfo->marker_list; m != nullptr; m = m->next) {
        if (m->marker != JPEG_APP0 + 1) continue;
        const int o = exifOrientation(m->data, m->data_length);
        if (o != 1) return o;
    }
    return 1;
}

// A progressive file's first scan holds the mean of every 8 x 8 block, and
// the later ones only refine the blocks' detail. For a cell that resolves no
// more than a block, the scans that refine detail need not be read at all:
// that is most of the file and most of the decoding time. True once
// every component's block means are known to within their last bit (the
// usual first scan holds all but that bit: a difference of at most one level
// of 255, where a shade of a pill photo is printed at a few dots a side).
bool blockMeansKnown(j_decompress_ptr cinfo) {
    if (cinfo->coef_bits == nullptr) return false;
    for (int c = 0; c < cinfo->num_components; ++c) {
        const int bits = cinfo->coef_bits[c][0];
        if (bits < 0 || bits > 1) return false;
    }
    return true;
}

// The block means of a component give one value per block of its samples:
// per 8 x (largest / own sampling factor) pixels of the picture, 16 for the
// colour of most camera files. Enough when the cell asks for no finer. (At
// 1/8 libjpeg draws such a colour component two by two from the block's
// detail, which the cell then averages away again.)
bool meansCover(j_decompress_ptr cinfo, QSize cover) {
    if (cover.width() <= 0 || cover.height() <= 0) return false;
    for (int c = 0; c < cinfo->num_components; ++c) {
        const jpeg_component_info& comp = cinfo->comp_info[c];
        if (comp.h_samp_factor <= 0 || comp.v_samp_factor <= 0) return false;
        const qint64 spanX = 8LL * cinfo->max_h_samp_factor / comp.h_samp_factor;
        const qint64 spanY = 8LL * cinfo->max_v_samp_factor / comp.v_samp_factor;
        if (spanX * cover.width() > qint64{cinfo->image_width} ||
            spanY * cover.height() > qint64{cinfo->image_height}) {
            return false;
        }
    }
    return true;
}

void readRows(JpegSession* s, bool cmyk, bool inverted) {
    const int ow = static_cast<int>(s->cinfo.output_width);
    const int oh = static_cast<int>(s->cinfo.output_height);
    while (s->cinfo.output_scanline < s->cinfo.output_height) {
        const int y = static_cast<int>(s->cinfo.output_scanline);
        if (cmyk) {
            JSAMPROW row = s->cmykRow.data();
            jpeg_read_scanlines(&s->cinfo, &row, 1);
            convertCmykRow(row, reinterpret_cast<QRgb*>(s->image.scanLine(y)), ow, inverted);
        } else {
            JSAMPROW rows[16];
            const int n = std::min<int>(16, oh - y);
            for (int i = 0; i < n; ++i) rows[i] = s->image.scanLine(y + i);
            jpeg_read_scanlines(&s->cinfo, rows, static_cast<JDIMENSION>(n));
        }
    }
}

// Everything between setjmp and the last libjpeg call lives in *s, so a
// longjmp back here skips no destructor and loses no state.
bool runJpeg(JpegSession* s, JpegStep step, QSize cover, int* scaleUsed) {
    s->cinfo.err = jpeg_std_error(&s->err.pub);
    s->err.pub.error_exit = errorExit;
    s->err.pub.output_message = silentOutput;
    s->err.pub.emit_message = emitMessage;
    if (setjmp(s->err.jump) != 0) return false;

    jpeg_create_decompress(&s->cinfo);
    s->created = true;
    s->cinfo.mem->max_memory_to_use = kMaxDecoderMemory;
    s->src.pub.init_source = initSource;
    s->src.pub.fill_input_buffer = fillInputBuffer;
    s->src.pub.skip_input_data = skipInputData;
    s->src.pub.resync_to_restart = jpeg_resync_to_restart;
    s->src.pub.term_source = termSource;
    s->src.pub.bytes_in_buffer = 0;
    s->src.pub.next_input_byte = nullptr;
    s->src.file = &s->file;
    s->cinfo.src = &s->src.pub;
    jpeg_save_markers(&s->cinfo, JPEG_APP0 + 1, 0xFFFF);

    jpeg_read_header(&s->cinfo, TRUE);
    s->orientation = orientationOf(&s->cinfo);
    if (step == JpegStep::Header) return true;
    // The header's size decides, not the reduced one: a header claiming far
    // more pixels than any photo has is forged or broken, and its data
    // can't fill them.
    if (qint64{s->cinfo.image_width} * s->cinfo.image_height > kMaxDecodedPixels) {
        s->err.tooLarge = true;
        return false;
    }

    // The cover is asked for upright; the rows are stored as the sensor saw them.
    const QSize storedCover = orientationSwapsSides(s->orientation) ? cover.transposed() : cover;
    const int m = coveringScale(static_cast<int>(s->cinfo.image_width),
                                static_cast<int>(s->cinfo.image_height), storedCover);
    *scaleUsed = m;
    s->cinfo.scale_num = static_cast<unsigned>(m);
    s->cinfo.scale_denom = 8;
    const bool cmyk =
        s->cinfo.jpeg_color_space == JCS_CMYK || s->cinfo.jpeg_color_space == JCS_YCCK;
    if (cmyk) {
        s->cinfo.out_color_space = JCS_CMYK;
    } else {
#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
        s->cinfo.out_color_space = JCS_EXT_BGRX;  // the byte order of QImage::Format_RGB32
#else
        s->cinfo.out_color_space = JCS_EXT_XRGB;
#endif
    }
    const bool meansOnly =
        m == 1 && s->cinfo.progressive_mode && meansCover(&s->cinfo, storedCover);
    if (meansOnly) {
        s->cinfo.buffered_image = TRUE;
        s->cinfo.do_block_smoothing = FALSE;  // guesses detail a 1/8 output never shows
    }
    jpeg_calc_output_dimensions(&s->cinfo);
    const qint64 ow = s->cinfo.output_width;
    const qint64 oh = s->cinfo.output_height;
    s->image = QImage(static_cast<int>(ow), static_cast<int>(oh), QImage::Format_RGB32);
    if (s->image.isNull()) {
        s->err.tooLarge = true;
        return false;
    }
    if (cmyk) s->cmykRow.resize(static_cast<size_t>(ow) * 4);
    const bool inverted = s->cinfo.saw_Adobe_marker;

    jpeg_start_decompress(&s->cinfo);
    if (!meansOnly) {
        readRows(s, cmyk, inverted);
        jpeg_finish_decompress(&s->cinfo);
        return true;
    }
    // Read scans until the block means are in, then show what they give;
    // the rest of the file is never read. A file that ends first shows what
    // it has, and the checks after this tell that it was cut off.
    for (;;) {
        const int r = jpeg_consume_input(&s->cinfo);
        if (r == JPEG_REACHED_EOI || r == JPEG_SUSPENDED) break;
        if (r == JPEG_SCAN_COMPLETED && blockMeansKnown(&s->cinfo)) break;
    }
    jpeg_start_output(&s->cinfo, s->cinfo.input_scan_number);
    readRows(s, cmyk, inverted);
    jpeg_finish_output(&s->cinfo);
    // No jpeg_finish_decompress: it would read the rest of the file.
    return true;
}

struct JpegOutcome {
    bool ok = false;
    QString error;
    int width = 0;
    int height = 0;
    int scale = 8;
    QImage image;
};

JpegOutcome readJpeg(const QString& path, JpegStep step, QSize cover) {
    JpegOutcome out;
    auto s = std::make_unique<JpegSession>();
    s->file.setFileName(path);
    if (!s->file.open(QIODevice::ReadOnly)) {
        out.error = openFailure(path);
        return out;
    }
    if (s->file.size() == 0) {
        out.error = undecodable(path, PhotoKind::Jpeg, Damage::Empty);
        return out;
    }
    int scale = 8;
    const bool ran = runJpeg(s.get(), step, cover, &scale);
    const bool cutOff = s->src.dataRanOut;
    int precision = 8;
    if (s->created) {
        const QSize upright = orientedSize(
            QSize(static_cast<int>(s->cinfo.image_width), static_cast<int>(s->cinfo.image_height)),
            s->orientation);
        out.width = upright.width();
        out.height = upright.height();
        precision = s->cinfo.data_precision;
        jpeg_destroy_decompress(&s->cinfo);
    }
    if (!ran) {
        const int code = s->err.code;
        if (s->err.tooLarge || code == JERR_IMAGE_TOO_BIG || code == JERR_WIDTH_OVERFLOW) {
            out.error = tooLarge(path, out.width, out.height);
        } else if (code == JERR_BAD_PRECISION) {
            out.error =
                undecodable(path, PhotoKind::Jpeg,
                            QStringLiteral("%1ビットのJPEGには対応していません").arg(precision));
        } else if (code == JERR_ARITH_NOTIMPL) {
            out.error = undecodable(path, PhotoKind::Jpeg,
                                    QStringLiteral("算術符号化のJPEGには対応していません"));
        } else if (code == JERR_SOF_UNSUPPORTED) {
            out.error = undecodable(path, PhotoKind::Jpeg,
                                    QStringLiteral("ロスレスや階層型のJPEGには対応していません"));
        } else if (code == JERR_NO_SOI) {
            out.error = undecodable(path, PhotoKind::Jpeg, Damage::NotOfKind);
        } else if (code == JERR_INPUT_EMPTY || cutOff) {
            out.error = undecodable(path, PhotoKind::Jpeg, Damage::CutOff);
        } else {
            out.error = undecodable(path, PhotoKind::Jpeg, Damage::Damaged);
        }
        return out;
    }
    // Only a picture decoded whole and cleanly is shown: one with grey where
    // its data was missing would print as if it were the drug.
    if (step == JpegStep::Decode && (cutOff || s->err.dataMissing)) {
        out.error = undecodable(path, PhotoKind::Jpeg, cutOff ? Damage::CutOff : Damage::Damaged);
        return out;
    }
    out.ok = true;
    out.scale = scale;
    out.image = applyOrientation(s->image, s->orientation);
    return out;
}

// ---- Windows bitmaps through Qt's reader ----

quint32 le(const QByteArray& b, int at, int bytes) {
    quint32 v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | static_cast<uchar>(b.at(at + i));
    return v;
}

// What is wrong with a bitmap file before Qt's reader sees it. Qt's reader
// takes a file cut short without complaint and leaves the missing rows
// black, so the size the header asks for is checked against the file's.
std::optional<Damage> bitmapDamage(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return Damage::Damaged;
    const qint64 size = file.size();
    if (size == 0) return Damage::Empty;
    const QByteArray head = file.read(54);
    if (head.size() < 2 || head.at(0) != 'B' || head.at(1) != 'M') return Damage::NotOfKind;
    if (head.size() < 26) return Damage::CutOff;
    const quint32 dataOffset = le(head, 10, 4);
    const quint32 infoSize = le(head, 14, 4);
    qint64 width = 0;
    qint64 height = 0;
    quint32 bits = 0;
    quint32 compression = 0;
    quint32 imageSize = 0;
    if (infoSize == 12) {  // the old OS/2 header: 16-bit sizes
        width = le(head, 18, 2);
        height = le(head, 20, 2);
        bits = le(head, 24, 2);
    } else {
        if (head.size() < 38) return Damage::CutOff;
        width = static_cast<qint32>(le(head, 18, 4));
        height = static_cast<qint32>(le(head, 22, 4));
        bits = le(head, 28, 2);
        compression = le(head, 30, 4);
        imageSize = le(head, 34, 4);
    }
    if (height < 0) height = -height;
    if (width <= 0 || height == 0 || bits == 0 || bits > 64) return Damage::Damaged;
    qint64 needed = dataOffset;
    if (compression == 0 || compression == 3) {  // uncompressed rows
        const qint64 stride = (width * bits + 31) / 32 * 4;
        // A forged header can claim more rows than any file could hold.
        qint64 rows = 0;
        if (__builtin_mul_overflow(stride, height, &rows)) return Damage::CutOff;
        needed += rows;
    } else {
        needed += imageSize;  // compressed: only the header's own count
    }
    if (size < needed) return Damage::CutOff;
    return std::nullopt;
}

// Qt's reader refuses a bitmap stored top row first (a negative height),
// which Windows has always allowed and some tools write. Such a file is read
// from a copy with its rows turned bottom-up; any other straight from the file.
class BitmapInput {
  public:
    explicit BitmapInput(const QString& path) {
        reader_.setFormat("bmp");
        if (!readFlipped(path)) {
            reader_.setFileName(path);
            return;
        }
        buffer_.setData(bytes_);
        buffer_.open(QIODevice::ReadOnly);
        reader_.setDevice(&buffer_);
    }
    QImageReader& reader() { return reader_; }

  private:
    bool readFlipped(const QString& path) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) return false;
        const QByteArray head = file.read(34);
        if (head.size() < 34 || !head.startsWith("BM") || le(head, 14, 4) < 40) return false;
        const auto height = static_cast<qint32>(le(head, 22, 4));
        const quint32 compression = le(head, 30, 4);
        if (height >= 0 || height == INT32_MIN || (compression != 0 && compression != 3))
            return false;
        const qint64 width = static_cast<qint32>(le(head, 18, 4));
        const quint32 bits = le(head, 28, 2);
        const qint64 stride = (width * bits + 31) / 32 * 4;
        const qint64 offset = le(head, 10, 4);
        const qint64 rows = -qint64{height};
        // The rows must start after the headers this copy rewrites: a forged
        // offset would have the height written past the bytes read.
        if (width <= 0 || width > kMaxBitmapSide || rows > kMaxBitmapSide || bits == 0 ||
            bits > 32 || offset < 14 + 40 || offset + stride * rows > file.size()) {
            return false;  // bitmapDamage names what is wrong
        }
        file.seek(0);
        bytes_ = file.read(offset + stride * rows);
        const qint32 positive = -height;
        for (int i = 0; i < 4; ++i)
            bytes_[22 + i] = static_cast<char>(quint32(positive) >> (8 * i));
        QByteArray flipped(bytes_.constData(), static_cast<qsizetype>(offset));
        for (qint64 r = rows - 1; r >= 0; --r) {
            flipped.append(bytes_.constData() + offset + r * stride,
                           static_cast<qsizetype>(stride));
        }
        bytes_ = std::move(flipped);
        return true;
    }

    QByteArray bytes_;
    QBuffer buffer_;
    QImageReader reader_;
};

QString bitmapFailure(const QString& path) {
    return undecodable(path, PhotoKind::Bitmap, bitmapDamage(path).value_or(Damage::Damaged));
}

}  // namespace

PhotoKind photoKindForName(std::string_view name) {
    return name.find(".jpg") != std::string_view::npos ||
                   name.find(".JPG") != std::string_view::npos
               ? PhotoKind::Jpeg
               : PhotoKind::Bitmap;
}

PhotoKind photoKindForName(const QString& name) {
    return name.contains(QLatin1String(".jpg")) || name.contains(QLatin1String(".JPG"))
               ? PhotoKind::Jpeg
               : PhotoKind::Bitmap;
}

bool canOpenPhoto(const QString& path) {
    if (path.isEmpty()) return false;
    QFile f(path);
    return f.open(QIODevice::ReadOnly);
}

int coveringScale(int width, int height, QSize cover) {
    if (cover.width() <= 0 || cover.height() <= 0) return 8;
    for (int m = 1; m < 8; ++m) {
        const qint64 w = (qint64{width} * m + 7) / 8;
        const qint64 h = (qint64{height} * m + 7) / 8;
        if (w >= cover.width() && h >= cover.height()) return m;
    }
    return 8;
}

std::optional<PhotoKind> photoKindOfContent(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    const QByteArray head = file.read(3);
    file.close();
    if (head.startsWith("\xFF\xD8\xFF")) return PhotoKind::Jpeg;
    if (head.startsWith("BM")) return PhotoKind::Bitmap;
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    if (!head.isEmpty() && !reader.format().isEmpty()) return PhotoKind::Other;
    return std::nullopt;
}

namespace {

// Why a file whose bytes are of no kind we read can't be shown.
QString noKindFailure(const QString& path) {
    if (!canOpenPhoto(path)) return openFailure(path);
    if (QFileInfo(path).size() == 0) return undecodable(path, PhotoKind::Other, Damage::Empty);
    return unknownFormat(path);
}

// A picture of another kind Qt reads (PNG, GIF, ...), taken by its content
// and turned upright as its own tags say.
QImageReader* openOther(QImageReader& reader) {
    reader.setDecideFormatFromContent(true);
    reader.setAutoTransform(true);
    return &reader;
}

QSize otherSize(QImageReader& reader) {
    const QSize stored = reader.size();
    return reader.transformation().testFlag(QImageIOHandler::TransformationRotate90)
               ? stored.transposed()
               : stored;
}

}  // namespace

Result<PhotoHeader> readPhotoHeader(const QString& path, PhotoKind kind) {
    if (kind == PhotoKind::Jpeg) {
        JpegOutcome r = readJpeg(path, JpegStep::Header, {});
        if (!r.ok) return Result<PhotoHeader>::failure(r.error);
        return PhotoHeader{r.width, r.height};
    }
    if (!canOpenPhoto(path)) return Result<PhotoHeader>::failure(openFailure(path));
    if (kind == PhotoKind::Other) {
        QImageReader reader(path);
        const QSize size = otherSize(*openOther(reader));
        if (!reader.canRead() || !size.isValid() || size.isEmpty()) {
            return Result<PhotoHeader>::failure(undecodable(path, kind, Damage::Damaged));
        }
        return PhotoHeader{size.width(), size.height()};
    }
    BitmapInput input(path);
    QImageReader& reader = input.reader();
    const QSize size = reader.size();
    if (!reader.canRead() || !size.isValid() || size.isEmpty()) {
        return Result<PhotoHeader>::failure(bitmapFailure(path));
    }
    return PhotoHeader{size.width(), size.height()};
}

Result<PhotoHeader> readPhotoHeader(const QString& path) {
    const auto kind = photoKindOfContent(path);
    if (!kind) return Result<PhotoHeader>::failure(noKindFailure(path));
    return readPhotoHeader(path, *kind);
}

Result<DecodedPhoto> decodePhoto(const QString& path, PhotoKind kind, QSize coverPixels) {
    if (kind == PhotoKind::Jpeg) {
        JpegOutcome r = readJpeg(path, JpegStep::Decode, coverPixels);
        if (!r.ok) return Result<DecodedPhoto>::failure(r.error);
        return DecodedPhoto{std::move(r.image), r.width, r.height, r.scale, 8};
    }

    if (!canOpenPhoto(path)) return Result<DecodedPhoto>::failure(openFailure(path));
    if (kind == PhotoKind::Other) {
        QImageReader reader(path);
        const QSize full = otherSize(*openOther(reader));
        if (!reader.canRead() || !full.isValid() || full.isEmpty()) {
            return Result<DecodedPhoto>::failure(undecodable(path, kind, Damage::Damaged));
        }
        if (qint64{full.width()} * full.height() > kMaxDecodedPixels ||
            full.width() > kMaxBitmapSide || full.height() > kMaxBitmapSide) {
            return Result<DecodedPhoto>::failure(tooLarge(path, full.width(), full.height()));
        }
        QImage image = onWhite(reader.read());
        if (image.isNull()) {
            return Result<DecodedPhoto>::failure(undecodable(path, kind, Damage::Damaged));
        }
        return DecodedPhoto{std::move(image), full.width(), full.height(), 8, 8};
    }
    BitmapInput input(path);
    QImageReader& reader = input.reader();
    reader.setAutoTransform(false);
    const QSize full = reader.size();
    if (!reader.canRead() || !full.isValid() || full.isEmpty()) {
        return Result<DecodedPhoto>::failure(bitmapFailure(path));
    }
    if (qint64{full.width()} * full.height() > kMaxDecodedPixels || full.width() > kMaxBitmapSide ||
        full.height() > kMaxBitmapSide) {
        return Result<DecodedPhoto>::failure(tooLarge(path, full.width(), full.height()));
    }
    if (const auto damage = bitmapDamage(path)) {
        return Result<DecodedPhoto>::failure(undecodable(path, PhotoKind::Bitmap, *damage));
    }
    const int m = coveringScale(full.width(), full.height(), coverPixels);
    if (m < 8) {
        reader.setScaledSize(QSize((full.width() * m + 7) / 8, (full.height() * m + 7) / 8));
    }
    QImage image = onWhite(reader.read());
    if (image.isNull()) {
        return Result<DecodedPhoto>::failure(bitmapFailure(path));
    }
    return DecodedPhoto{std::move(image), full.width(), full.height(), m, 8};
}

Result<DecodedPhoto> decodePhoto(const QString& path, QSize coverPixels) {
    const auto kind = photoKindOfContent(path);
    if (!kind) return Result<DecodedPhoto>::failure(noKindFailure(path));
    return decodePhoto(path, *kind, coverPixels);
}

}  // namespace dorimek::platform
