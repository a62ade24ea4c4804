#include "level/level_budget.h"

#include <string>

#include "level/text_reader.h"

namespace cog {

namespace {

bool charge(TextReader& in, int64_t LevelBudget::*field, int64_t limit, const char* what, int64_t count) {
  LevelBudget* budget = in.limits.budget;
  if (budget == nullptr || count <= 0) return true;
  if (count > budget->*field) {
    return in.fail("the level would make more than " + std::to_string(limit) + " " + what +
                   " in all, the limit for one level");
  }
  budget->*field -= count;
  return true;
}

}  // namespace

bool chargeRecords(TextReader& in, int64_t count) {
  return charge(in, &LevelBudget::records, kMaxLevelRecords, "mesh records", count);
}
bool chargeVertices(TextReader& in, int64_t count) {
  return charge(in, &LevelBudget::vertices, kMaxLevelVertices, "vertices", count);
}
bool chargeMaterials(TextReader& in, int64_t count) {
  return charge(in, &LevelBudget::materials, kMaxLevelMaterials, "materials", count);
}
bool chargeImageNames(TextReader& in, int64_t count) {
  return charge(in, &LevelBudget::imageNames, kMaxLevelImageNames, "light-map and texture names", count);
}
bool chargeImagePixels(TextReader& in, int64_t count) {
  return charge(in, &LevelBudget::imagePixels, kMaxLevelImagePixels, "image pixels", count);
}

}  // namespace cog
