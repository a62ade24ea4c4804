// The game's music in the page: FluidSynth on WebAssembly (js-synthesizer,
// from npm) plays the MIDI file the game hands over, with the TimGM6mb
// SoundFont, from the point the game asks for. The game's music clock is
// its own (moved 33 ms a tick), so a pause resumes where the music stopped.
// Browsers start sound only after a click or a key: start() is called then.
"use strict";
(function () {
  let ctx = null, synth = null, gain = null;
  let ready = false, starting = false;
  let midi = null;      // the piece's bytes
  let want = null;      // {pulse, loops} while the music should sound
  let paused = false, level = 1;
  let chain = Promise.resolve();  // the synthesizer's calls, one after another

  function later(step) {
    chain = chain.then(step).catch((e) => console.warn("music: " + e.message));
  }

  function apply() {
    if (!ready) return;
    const now = want;
    later(async () => {
      synth.stopPlayer();
      synth.midiAllSoundsOff();
      await synth.resetPlayer();
      if (!now || !midi) return;
      await synth.addSMFDataToPlayer(midi.slice().buffer);  // a copy: the worklet may take it
      synth.setPlayerLoop(now.loops);
      await synth.playPlayer();
      if (now.pulse > 0) synth.seekPlayer(now.pulse);
    });
  }

  function script(src) {
    return new Promise((resolve, reject) => {
      const s = document.createElement("script");
      s.src = src;
      s.onload = resolve;
      s.onerror = () => reject(new Error("cannot load " + src));
      document.body.appendChild(s);
    });
  }

  Module.cogMusic = {
    load(bytes) { midi = bytes; },
    play(pulse, loops) { want = { pulse: pulse, loops: loops }; apply(); },
    stop() { want = null; apply(); },
    pause(on) {
      paused = on;
      if (ctx) on ? ctx.suspend() : ctx.resume();
    },
    volume(v) {
      level = v;
      if (gain) gain.gain.value = v;
    },
    // Where the synthesizer's player is, in the file's pulses (null before
    // it runs): for tests.
    position() { return ready ? synth.retrievePlayerCurrentTick() : Promise.resolve(null); },
    // On the player's first click or key.
    start() {
      if (starting) return;
      starting = true;
      ctx = new AudioContext();
      if (paused) ctx.suspend();
      const font = fetch("TimGM6mb.sf2").then((r) => {
        if (!r.ok) throw new Error("TimGM6mb.sf2: HTTP " + r.status);
        return r.arrayBuffer();
      });
      // FluidSynth runs in the audio worklet, out of the way of the game's
      // own module.
      ctx.audioWorklet.addModule("libfluidsynth.js")
        .then(() => ctx.audioWorklet.addModule("js-synthesizer.worklet.min.js"))
        .then(() => script("js-synthesizer.min.js"))
        .then(() => {
          synth = new JSSynth.AudioWorkletNodeSynthesizer();
          synth.init(ctx.sampleRate);
          gain = ctx.createGain();
          gain.gain.value = level;
          synth.createAudioNode(ctx).connect(gain);
          gain.connect(ctx.destination);
          return font;
        })
        .then((data) => synth.loadSFont(data))
        .then(() => { ready = true; apply(); })
        .catch((e) => console.warn("music: the page plays no music (" + e.message + ")"));
    },
  };
})();
