#include "platform/image_file.h"

#include "platform/bmp_image.h"
#include "platform/file_bytes.h"
#include "platform/image_checks.h"

#include <jerror.h>
#include <jpeglib.h>
#include <png.h>
#include <sys/stat.h>

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <limits>

namespace cog {

namespace {

// Compressed data can only stretch so far. A declared size that needs more
// pixels per byte of file than these is a broken or hostile header, and is
// refused before anything of that size is allocated. (zlib inflates at most
// about 1032:1, and a PNG packs up to eight pixels a byte; JPEG and RLE BMP
// get a generous bound.)
constexpr uint64_t kPngPixelsPerByte = 8 * 1100;
constexpr uint64_t kOtherPixelsPerByte = 65536;

uint32_t be32(const uint8_t* p) {
  return (static_cast<uint32_t>(p[0]) << 24) | (static_cast<uint32_t>(p[1]) << 16) |
         (static_cast<uint32_t>(p[2]) << 8) | static_cast<uint32_t>(p[3]);
}

}  // namespace

std::string dims(int64_t w, int64_t h) { return std::to_string(w) + "x" + std::to_string(h); }

bool checkDimensions(int64_t w, int64_t h, size_t fileSize, uint64_t pixelsPerByte, std::string& what) {
  if (w <= 0 || h <= 0) {
    what = "invalid image dimensions " + dims(w, h);
    return false;
  }
  if (w > kMaxImageSide || h > kMaxImageSide) {
    what = "image dimensions " + dims(w, h) + " are over the limit of " + std::to_string(kMaxImageSide) +
           " on a side";
    return false;
  }
  const uint64_t pixels = static_cast<uint64_t>(w) * static_cast<uint64_t>(h);
  if (pixels / pixelsPerByte > fileSize) {
    what = "image dimensions " + dims(w, h) + " are absurd for a file of " + std::to_string(fileSize) +
           " bytes (truncated or corrupt data)";
    return false;
  }
  if (pixels > kMaxImagePixels) {
    what = "image dimensions " + dims(w, h) + " are over the limit of " + std::to_string(kMaxImagePixels) +
           " pixels";
    return false;
  }
  return true;
}

namespace {

// ---------------------------------------------------------------- PNG

struct PngJob {
  const uint8_t* data = nullptr;
  size_t size = 0;
  size_t pos = 0;
  bool truncated = false;
  std::string message;
  png_structp png = nullptr;
  png_infop info = nullptr;
  ImageRgba* image = nullptr;
  std::vector<png_bytep> rows;
  std::string what;
};

void pngRead(png_structp png, png_bytep out, png_size_t length) {
  auto* job = static_cast<PngJob*>(png_get_io_ptr(png));
  if (length > job->size - job->pos) {
    job->truncated = true;
    png_error(png, "file ends early");
  }
  std::memcpy(out, job->data + job->pos, length);
  job->pos += length;
}

void pngError(png_structp png, png_const_charp message) {
  auto* job = static_cast<PngJob*>(png_get_error_ptr(png));
  if (job->message.empty()) job->message = message != nullptr ? message : "unknown error";
  png_longjmp(png, 1);
}

void pngWarning(png_structp, png_const_charp) {}

// Everything that may be abandoned by png_longjmp lives in `job`, outside
// this frame.
bool pngDecodeSteps(PngJob& job) {
  if (setjmp(png_jmpbuf(job.png))) return false;
  png_set_read_fn(job.png, &job, pngRead);
  png_set_user_limits(job.png, kMaxImageSide, kMaxImageSide);
  png_read_info(job.png, job.info);

  png_uint_32 w = 0, h = 0;
  int bitDepth = 0, colorType = 0, interlace = 0;
  png_get_IHDR(job.png, job.info, &w, &h, &bitDepth, &colorType, &interlace, nullptr, nullptr);
  if (!checkDimensions(w, h, job.size, kPngPixelsPerByte, job.what)) return false;

  // Everything to 8-bit RGBA.
  if (colorType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(job.png);
  if (colorType == PNG_COLOR_TYPE_GRAY && bitDepth < 8) png_set_expand_gray_1_2_4_to_8(job.png);
  if (png_get_valid(job.png, job.info, PNG_INFO_tRNS)) png_set_tRNS_to_alpha(job.png);
  if (bitDepth == 16) png_set_strip_16(job.png);
  if (colorType == PNG_COLOR_TYPE_GRAY || colorType == PNG_COLOR_TYPE_GRAY_ALPHA) png_set_gray_to_rgb(job.png);
  png_set_filler(job.png, 0xFF, PNG_FILLER_AFTER);
  png_set_interlace_handling(job.png);
  png_read_update_info(job.png, job.info);
  if (png_get_rowbytes(job.png, job.info) != static_cast<size_t>(w) * 4) {
    job.what = "unsupported PNG pixel layout";
    return false;
  }

  job.image->width = static_cast<int>(w);
  job.image->height = static_cast<int>(h);
  job.image->pixels.resize(static_cast<size_t>(w) * h * 4);
  job.rows.resize(h);
  for (png_uint_32 y = 0; y < h; ++y) job.rows[y] = job.image->pixels.data() + static_cast<size_t>(y) * w * 4;
  png_read_image(job.png, job.rows.data());
  return true;
}

bool decodePng(const uint8_t* data, size_t size, ImageRgba& image, std::string& what) {
  PngJob job;
  job.data = data;
  job.size = size;
  job.image = &image;
  job.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &job, pngError, pngWarning);
  if (job.png == nullptr) {
    what = "cannot start the PNG decoder";
    return false;
  }
  job.info = png_create_info_struct(job.png);
  const bool started = job.info != nullptr;
  const bool ok = started && pngDecodeSteps(job);
  png_destroy_read_struct(&job.png, started ? &job.info : nullptr, nullptr);
  if (ok) return true;
  if (!job.what.empty())
    what = job.what;
  else if (!started)
    what = "cannot start the PNG decoder";
  else if (job.truncated)
    what = "truncated PNG data (file ends early)";
  else
    what = "corrupt PNG data (" + job.message + ")";
  return false;
}

// ---------------------------------------------------------------- JPEG

struct JpegErrors {
  jpeg_error_mgr mgr;  // first, so the library's pointer is ours too
  jmp_buf jump;
  bool truncated = false;
  char message[JMSG_LENGTH_MAX] = {};
};

void jpegErrorExit(j_common_ptr cinfo) {
  auto* errors = reinterpret_cast<JpegErrors*>(cinfo->err);
  (*cinfo->err->format_message)(cinfo, errors->message);
  std::longjmp(errors->jump, 1);
}

// Warnings that mean the image data is cut short or damaged end the decode;
// harmless ones (extra bytes between markers and the like) are ignored.
void jpegEmitMessage(j_common_ptr cinfo, int level) {
  if (level != -1) return;
  auto* errors = reinterpret_cast<JpegErrors*>(cinfo->err);
  const int code = cinfo->err->msg_code;
  if (code == JWRN_JPEG_EOF) {
    errors->truncated = true;
    std::longjmp(errors->jump, 1);
  }
  if (code == JWRN_HUFF_BAD_CODE || code == JWRN_MUST_RESYNC || code == JWRN_NOT_SEQUENTIAL) {
    (*cinfo->err->format_message)(cinfo, errors->message);
    std::longjmp(errors->jump, 1);
  }
}

void jpegOutputMessage(j_common_ptr) {}

struct JpegJob {
  jpeg_decompress_struct cinfo;
  JpegErrors errors;
  const uint8_t* data = nullptr;
  size_t size = 0;
  ImageRgba* image = nullptr;
  std::string what;
};

bool jpegDecodeSteps(JpegJob& job) {
  if (setjmp(job.errors.jump)) return false;
  jpeg_create_decompress(&job.cinfo);
  jpeg_mem_src(&job.cinfo, job.data, static_cast<unsigned long>(job.size));
  jpeg_read_header(&job.cinfo, TRUE);
  if (!checkDimensions(job.cinfo.image_width, job.cinfo.image_height, job.size, kOtherPixelsPerByte, job.what))
    return false;

  const bool cmyk = job.cinfo.jpeg_color_space == JCS_CMYK || job.cinfo.jpeg_color_space == JCS_YCCK;
  job.cinfo.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_RGBA;
  jpeg_start_decompress(&job.cinfo);
  const size_t w = job.cinfo.output_width;
  const size_t h = job.cinfo.output_height;
  if (job.cinfo.output_components != 4 || w == 0 || h == 0 || w > kMaxImageSide || h > kMaxImageSide) {
    job.what = "unsupported JPEG pixel layout";
    return false;
  }
  job.image->width = static_cast<int>(w);
  job.image->height = static_cast<int>(h);
  job.image->pixels.resize(w * h * 4);
  while (job.cinfo.output_scanline < h) {
    uint8_t* row = job.image->pixels.data() + static_cast<size_t>(job.cinfo.output_scanline) * w * 4;
    JSAMPROW rows[1] = {row};
    if (jpeg_read_scanlines(&job.cinfo, rows, 1) != 1) {
      job.errors.truncated = true;
      return false;
    }
    if (cmyk) {
      // Adobe writes CMYK inverted; that is what these files carry.
      for (size_t x = 0; x < w; ++x) {
        uint8_t* p = row + x * 4;
        const unsigned k = p[3];
        p[0] = static_cast<uint8_t>(p[0] * k / 255);
        p[1] = static_cast<uint8_t>(p[1] * k / 255);
        p[2] = static_cast<uint8_t>(p[2] * k / 255);
        p[3] = 0xFF;
      }
    }
  }
  jpeg_finish_decompress(&job.cinfo);
  return true;
}

bool decodeJpeg(const uint8_t* data, size_t size, ImageRgba& image, std::string& what) {
  JpegJob job;
  std::memset(&job.cinfo, 0, sizeof job.cinfo);
  job.cinfo.err = jpeg_std_error(&job.errors.mgr);
  job.errors.mgr.error_exit = jpegErrorExit;
  job.errors.mgr.emit_message = jpegEmitMessage;
  job.errors.mgr.output_message = jpegOutputMessage;
  job.data = data;
  job.size = size;
  job.image = &image;
  const bool ok = jpegDecodeSteps(job);
  jpeg_destroy_decompress(&job.cinfo);  // safe on a part-made or empty object
  if (ok) return true;
  if (!job.what.empty())
    what = job.what;
  else if (job.errors.truncated)
    what = "truncated JPEG data (file ends early)";
  else
    what = std::string("corrupt JPEG data (") + job.errors.message + ")";
  return false;
}

}  // namespace

ImageFormat sniffImageFormat(const uint8_t* data, size_t size) {
  static const uint8_t kPng[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  if (size >= 8 && std::memcmp(data, kPng, 8) == 0) return ImageFormat::Png;
  if (size >= 3 && data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF) return ImageFormat::Jpeg;
  if (size >= 2 && data[0] == 'B' && data[1] == 'M') return ImageFormat::Bmp;
  return ImageFormat::Unknown;
}

bool decodeImage(const uint8_t* data, size_t size, const std::string& name, ImageRgba& image,
                 std::string& error) {
  image = ImageRgba();
  std::string what;
  bool ok = false;
  if (size == 0) {
    what = "the file is empty";
  } else {
    switch (sniffImageFormat(data, size)) {
      case ImageFormat::Png:
        // A PNG's size sits in its first chunk; refuse an absurd one early.
        if (size >= 24 && std::memcmp(data + 12, "IHDR", 4) == 0 &&
            !checkDimensions(be32(data + 16), be32(data + 20), size, kPngPixelsPerByte, what))
          break;
        ok = decodePng(data, size, image, what);
        break;
      case ImageFormat::Jpeg:
        ok = decodeJpeg(data, size, image, what);
        break;
      case ImageFormat::Bmp:
        ok = decodeBmp(data, size, image, what);
        break;
      case ImageFormat::Unknown:
        what = "unknown image format (not a BMP, PNG or JPEG file)";
        break;
    }
  }
  if (!ok) {
    image = ImageRgba();
    error = name + ": " + what;
  }
  return ok;
}

bool loadImageFile(const std::string& path, ImageRgba& image, std::string& error) {
  image = ImageRgba();
  std::vector<uint8_t> bytes;
  if (!readFileBytes(path, kMaxImageFileBytes, "an image", bytes, error)) return false;
  return decodeImage(bytes.data(), bytes.size(), path, image, error);
}

}  // namespace cog
