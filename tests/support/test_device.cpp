#include "support/test_device.h"

#include "level/level_data.h"
#include "level/model.h"

namespace cog {

std::unique_ptr<VertexBuffer> TestDevice::CreateVertexBuffer(const void* data, uint32_t lengthBytes, uint32_t fvf,
                                                             std::string& error) {
  const int n = bufferRequests++;
  bufferLengths.push_back(lengthBytes);
  const auto* bytes = static_cast<const uint8_t*>(data);
  bufferData.emplace_back(bytes, bytes + (data ? lengthBytes : 0));
  if (n == refuseBufferAt) {
    error = "out of video memory";
    return nullptr;
  }
  return RecordingDevice::CreateVertexBuffer(data, lengthBytes, fvf, error);
}

std::unique_ptr<Texture> TestDevice::CreateTextureFromFile(const std::string& fileName, std::string& error) {
  if (fileName == refuseTexture) {
    error = fileName + ": cannot open the file";
    return nullptr;
  }
  setDecodeImages(realTextures);
  if (!realTextures) textureNames.push_back(fileName);
  return RecordingDevice::CreateTextureFromFile(fileName, error);
}

}  // namespace cog
