#pragma once
// The test double of the render device: the recording device with textures
// made from their names alone (no image file is read) unless `realTextures`
// is set, and with a texture (by name) or the n-th vertex buffer refused.
// Used by the tests and the level fuzzer.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "render/rec/recording_device.h"

namespace cog {

class TestDevice : public RecordingDevice {
 public:
  TestDevice() { setDecodeImages(false); }

  bool realTextures = false;
  std::string refuseTexture;   // this name fails
  int refuseBufferAt = -1;     // this buffer (0-based count of requests) fails
  int bufferRequests = 0;
  std::vector<std::string> textureNames;  // made from names alone, in order
  std::vector<uint32_t> bufferLengths;    // bytes asked for, in order
  std::vector<std::vector<uint8_t>> bufferData;  // what each buffer was given

  std::unique_ptr<VertexBuffer> CreateVertexBuffer(const void* data, uint32_t lengthBytes, uint32_t fvf,
                                                   std::string& error) override;
  std::unique_ptr<Texture> CreateTextureFromFile(const std::string& fileName, std::string& error) override;
};

}  // namespace cog
