#include "song_form.h"

namespace cog {

namespace mediagen {

namespace {

constexpr int kA = 9, kCs = 1, kD = 2, kE = 4, kFs = 6, kG = 7;

int32_t microsecondsPerQuarter(int bpm) { return static_cast<int32_t>(60000000 / bpm); }

struct SectionPlan {
  Section section;
  const char* name;
  int bars;
  std::vector<Chord> progression;  // repeated over the section's bars
};

std::vector<SectionPlan> roadsongPlan() {
  // I V vi IV drives the intro and the choruses; the verses start on the
  // relative minor, and the bridge borrows the flat seventh (G) before
  // turning back to E for the last chorus.
  const std::vector<Chord> drive{{kA, false}, {kE, false}, {kFs, true}, {kD, false}};
  const std::vector<Chord> verse{{kFs, true}, {kD, false}, {kA, false}, {kE, false}};
  const std::vector<Chord> bridge{{kD, false}, {kE, false}, {kCs, true}, {kFs, true},
                                  {kD, false}, {kE, false}, {kG, false}, {kE, false}};
  const std::vector<Chord> outro{{kD, false}, {kE, false}, {kA, false}, {kA, false}};
  return {
      {Section::Intro, "Intro", 4, drive},   {Section::Verse, "Verse", 8, verse},
      {Section::Chorus, "Chorus", 8, drive}, {Section::Verse, "Verse", 8, verse},
      {Section::Chorus, "Chorus", 8, drive}, {Section::Bridge, "Bridge", 8, bridge},
      {Section::Chorus, "Chorus", 16, drive}, {Section::Outro, "Outro", 4, outro},
  };
}

}  // namespace

double SongForm::seconds() const {
  const double beforePush = static_cast<double>(pushBar) * 4.0 * tempo;
  const double afterPush = static_cast<double>(static_cast<int>(bars.size()) - pushBar) * 4.0 * pushTempo;
  return (beforePush + afterPush) / 1e6;
}

SongForm roadsongForm() {
  SongForm form;
  form.tonic = kA;
  form.keySharps = 3;
  form.tempo = microsecondsPerQuarter(132);
  form.pushTempo = microsecondsPerQuarter(136);
  int verses = 0, choruses = 0;
  for (const SectionPlan& plan : roadsongPlan()) {
    int pass = 1;
    if (plan.section == Section::Verse) pass = ++verses;
    if (plan.section == Section::Chorus) pass = ++choruses;
    const bool numbered = plan.section == Section::Verse || plan.section == Section::Chorus;
    form.sections.push_back({static_cast<int>(form.bars.size()),
                             numbered ? std::string(plan.name) + " " + std::to_string(pass) : plan.name});
    if (plan.section == Section::Chorus && pass == 3) form.pushBar = static_cast<int>(form.bars.size());
    for (int i = 0; i < plan.bars; ++i) {
      Bar bar;
      bar.number = static_cast<int>(form.bars.size());
      bar.section = plan.section;
      bar.pass = pass;
      bar.sectionBar = i;
      bar.sectionBars = plan.bars;
      bar.chord = plan.progression[static_cast<size_t>(i) % plan.progression.size()];
      form.bars.push_back(bar);
    }
  }
  for (size_t i = 0; i < form.bars.size(); ++i) form.bars[i].next = form.bars[(i + 1) % form.bars.size()].chord;
  return form;
}

}  // namespace mediagen

}  // namespace cog
