// The page in headless Chromium, driven over the DevTools protocol on a pipe
// (no packages needed). Two cases:
//   win   plays demos/win.keys unpaced with the trace on: the console's trace
//         equals native --headless --trace line for line, the last picture
//         is not black, and the page logs no error.
//   keys  the player's own game (sound on): keys sent to the page move the
//         player, and the music's synthesizer starts on the first key.
//   error an address naming a key script that is not there: "ERROR ..." in
//         the title and the message in the page.
//   nowebgl Chromium without WebGL 2: the page says so in place of the game.
// Either fails on any console error or page exception. Prints the measures.
//   node page_test.mjs --case win|keys|error|nowebgl --site DIR --chromium PATH --native PATH
//                      --level DIR --demos DIR --out DIR
import { spawn, execFileSync } from "node:child_process";
import fs from "node:fs";
import http from "node:http";
import os from "node:os";
import path from "node:path";
import zlib from "node:zlib";

const opt = {};
for (let i = 2; i < process.argv.length; i += 2) opt[process.argv[i].replace(/^--/, "")] = process.argv[i + 1];
fs.mkdirSync(opt.out, { recursive: true });

function fail(message) {
  if (typeof consoleLines !== "undefined")
    fs.writeFileSync(path.join(opt.out, "console.txt"),
                     consoleLines.filter((l) => !l.text.startsWith("{")).map((l) => l.type + ": " + l.text).join("\n") + "\n");
  console.error("FAIL: " + message);
  cleanup();
  process.exit(1);
}

// --- a static server for the site and the demos ----------------------------
const types = { ".html": "text/html", ".js": "text/javascript", ".wasm": "application/wasm" };
const server = http.createServer((req, res) => {
  const url = new URL(req.url, "http://x");
  const [root, rel] = url.pathname.startsWith("/demos/")
    ? [opt.demos, url.pathname.slice(7)] : [opt.site, url.pathname.slice(1) || "index.html"];
  const file = path.join(root, path.normalize(rel));
  if (!file.startsWith(root) || !fs.existsSync(file) || fs.statSync(file).isDirectory()) {
    res.writeHead(404);
    res.end();
    return;
  }
  res.writeHead(200, { "Content-Type": types[path.extname(file)] || "application/octet-stream" });
  fs.createReadStream(file).pipe(res);
});
await new Promise((r) => server.listen(0, "127.0.0.1", r));
const base = `http://127.0.0.1:${server.address().port}`;

// --- Chromium on a DevTools pipe ---------------------------------------------
const profile = fs.mkdtempSync(path.join(os.tmpdir(), "cogstorm-chromium-"));
const chrome = spawn(opt.chromium, ["--headless=new", "--remote-debugging-pipe", "--no-first-run",
  "--no-default-browser-check", "--no-sandbox", `--user-data-dir=${profile}`, "--window-size=512,512",
  "--autoplay-policy=no-user-gesture-required", "--use-angle=swiftshader",
  ...(opt.case === "nowebgl" ? ["--disable-webgl2"] : []), "about:blank"],
  { stdio: ["ignore", "ignore", "pipe", "pipe", "pipe"] });
let chromeErr = "";
chrome.stderr.on("data", (d) => { chromeErr += d; });
function cleanup() {
  try { chrome.kill("SIGKILL"); } catch {}
  server.close();
  try { fs.rmSync(profile, { recursive: true, force: true, maxRetries: 5 }); } catch {}
}
const toChrome = chrome.stdio[3], fromChrome = chrome.stdio[4];
let nextId = 1, buffered = "";
const pending = new Map(), listeners = [];
fromChrome.on("data", (chunk) => {
  buffered += chunk.toString("utf8");
  let end;
  while ((end = buffered.indexOf("\0")) >= 0) {
    const msg = JSON.parse(buffered.slice(0, end));
    buffered = buffered.slice(end + 1);
    if (msg.id && pending.has(msg.id)) {
      const { resolve, reject } = pending.get(msg.id);
      pending.delete(msg.id);
      msg.error ? reject(new Error(JSON.stringify(msg.error))) : resolve(msg.result);
    } else if (msg.method) {
      for (const l of listeners) l(msg);
    }
  }
});
function send(method, params = {}, sessionId) {
  const id = nextId++;
  toChrome.write(JSON.stringify({ id, method, params, sessionId }) + "\0");
  return new Promise((resolve, reject) => pending.set(id, { resolve, reject }));
}
const sleep = (ms) => new Promise((r) => setTimeout(r, ms));
const watchdog = setTimeout(() => fail("the page did not finish in time\n" + chromeErr.slice(-2000)), 200000);

const { targetInfos } = await send("Target.getTargets");
const pageTarget = targetInfos.find((t) => t.type === "page");
if (!pageTarget) fail("Chromium opened no page");
const { sessionId } = await send("Target.attachToTarget", { targetId: pageTarget.targetId, flatten: true });
const page = (method, params) => send(method, params, sessionId);

var consoleLines = [], problems = [];
listeners.push((msg) => {
  if (msg.sessionId !== sessionId) return;
  if (msg.method === "Runtime.consoleAPICalled") {
    const text = msg.params.args.map((a) => a.value !== undefined ? String(a.value) : a.description || "").join(" ");
    consoleLines.push({ type: msg.params.type, text, time: msg.params.timestamp });
    if (msg.params.type === "error" || msg.params.type === "assert") problems.push("console error: " + text);
  } else if (msg.method === "Runtime.exceptionThrown") {
    const d = msg.params.exceptionDetails;
    problems.push("page exception: " + (d.exception && d.exception.description || d.text));
  } else if (msg.method === "Log.entryAdded" && msg.params.entry.level === "error") {
    problems.push("browser error: " + msg.params.entry.text + " " + (msg.params.entry.url || ""));
  }
});
await page("Runtime.enable");
await page("Log.enable");
await page("Page.enable");
// The game's own window size, in CSS pixels at scale 1.
await page("Emulation.setDeviceMetricsOverride", { width: 512, height: 512, deviceScaleFactor: 1, mobile: false });
const evaluate = async (expr) => (await page("Runtime.evaluate", { expression: expr, returnByValue: true })).result.value;

async function waitFor(what, test, ms) {
  const until = Date.now() + ms;
  for (;;) {
    const v = await test();
    if (v) return v;
    if (problems.length) fail(problems.join("\n"));
    if (Date.now() > until) fail("timed out waiting for " + what);
    await sleep(100);
  }
}

async function screenshot(name) {
  const { data } = await page("Page.captureScreenshot", { format: "png" });
  const file = path.join(opt.out, name);
  fs.writeFileSync(file, Buffer.from(data, "base64"));
  return file;
}

// The share of pixels that are not near black, from a PNG (8-bit RGB or RGBA).
function litShare(file) {
  const png = fs.readFileSync(file);
  let pos = 8, width = 0, height = 0, channels = 0;
  const idat = [];
  while (pos < png.length) {
    const len = png.readUInt32BE(pos), type = png.toString("latin1", pos + 4, pos + 8);
    const body = png.subarray(pos + 8, pos + 8 + len);
    if (type === "IHDR") {
      width = body.readUInt32BE(0);
      height = body.readUInt32BE(4);
      channels = { 2: 3, 6: 4 }[body[9]];
      if (body[8] !== 8 || !channels) fail("unexpected screenshot format");
    } else if (type === "IDAT") idat.push(body);
    pos += 12 + len;
  }
  const raw = zlib.inflateSync(Buffer.concat(idat));
  const stride = width * channels, out = Buffer.alloc(stride * height);
  for (let y = 0; y < height; ++y) {
    const f = raw[y * (stride + 1)], line = raw.subarray(y * (stride + 1) + 1, (y + 1) * (stride + 1));
    for (let x = 0; x < stride; ++x) {
      const a = x >= channels ? out[y * stride + x - channels] : 0;
      const b = y > 0 ? out[(y - 1) * stride + x] : 0;
      const c = x >= channels && y > 0 ? out[(y - 1) * stride + x - channels] : 0;
      const p = a + b - c, pa = Math.abs(p - a), pb = Math.abs(p - b), pc = Math.abs(p - c);
      const pred = [0, a, b, (a + b) >> 1, pa <= pb && pa <= pc ? a : pb <= pc ? b : c][f];
      out[y * stride + x] = (line[x] + pred) & 255;
    }
  }
  let lit = 0;
  for (let i = 0; i < out.length; i += channels) if (out[i] + out[i + 1] + out[i + 2] > 48) ++lit;
  return lit / (width * height);
}

const traceOf = () => consoleLines.filter((l) => l.text.startsWith("{"));

if (opt.case === "win") {
  const ticks = 700;
  const nativeTrace = path.join(opt.out, "native.jsonl");
  execFileSync(opt.native, ["--headless", "--data", opt.level, "--ticks", String(ticks), "--input",
    path.join(opt.demos, "win.keys"), "--trace", nativeTrace]);
  const started = Date.now();
  let midShot = null;
  await page("Page.navigate", { url: `${base}/index.html?input=/demos/win.keys&ticks=${ticks}&unpaced=1&trace=1&mute=1` });
  const title = await waitFor("DONE", async () => {
    const t = await evaluate("document.title");
    if (traceOf().length >= 200 && !midShot) midShot = await screenshot("tick200.png");
    return t.startsWith("DONE") || t.startsWith("ERROR") ? t : null;
  }, 180000);
  if (title !== `DONE ${ticks}`) fail(`the page's title is "${title}"`);
  if (process.env.COG_PAGE_EVAL) console.log("eval:", JSON.stringify(await evaluate(process.env.COG_PAGE_EVAL)));
  const shot = await screenshot("last.png");
  const firstFrame = await evaluate("window.cogFirstFrame");
  const expected = fs.readFileSync(nativeTrace, "utf8").split("\n").filter((l) => l);
  const got = traceOf();
  fs.writeFileSync(path.join(opt.out, "page.jsonl"), got.map((l) => l.text).join("\n") + "\n");
  for (let i = 0; i < Math.max(expected.length, got.length); ++i) {
    if (expected[i] !== (got[i] && got[i].text))
      fail(`the trace differs at tick ${i + 1}:\n  native: ${expected[i]}\n  page:   ${got[i] && got[i].text}`);
  }
  const share = litShare(shot);
  // The booth is dark green with bright letters: a black or blank canvas
  // lights almost nothing.
  if (share < 0.05) fail(`the last picture is nearly black (${(share * 100).toFixed(1)}% lit): ${shot}`);
  const seconds = (got[got.length - 1].time - got[0].time) / 1000;
  console.log(`${ticks} trace lines equal native's; last picture ${(share * 100).toFixed(0)}% lit (${shot})`);
  console.log(`first frame ${firstFrame.toFixed(0)} ms after navigation; ${(ticks / seconds).toFixed(1)} ticks/s ` +
              `unpaced in ${((Date.now() - started) / 1000).toFixed(1)} s`);
  for (const l of consoleLines) if (/^(tick work|frame gaps):/.test(l.text)) console.log(l.text);
} else if (opt.case === "keys") {
  await page("Page.navigate", { url: `${base}/index.html?trace=1` });
  await waitFor("the first ticks", async () => traceOf().length >= 5, 60000);
  const pos = (l) => JSON.parse(l.text).player.pos;
  const before = pos(traceOf()[traceOf().length - 1]);
  // Forward (38) for about a second, as a held key repeats.
  for (let i = 0; i < 20; ++i) {
    await page("Input.dispatchKeyEvent", { type: "rawKeyDown", windowsVirtualKeyCode: 38, key: "ArrowUp",
      code: "ArrowUp", autoRepeat: i > 0 });
    await sleep(50);
  }
  await page("Input.dispatchKeyEvent", { type: "keyUp", windowsVirtualKeyCode: 38, key: "ArrowUp", code: "ArrowUp" });
  await sleep(300);
  const after = pos(traceOf()[traceOf().length - 1]);
  const moved = Math.hypot(after[0] - before[0], after[2] - before[2]);
  if (!(moved > 0)) fail(`the player did not move: ${JSON.stringify(before)} -> ${JSON.stringify(after)}`);
  // The key started the sound: the synthesizer loads and the card is gone.
  await waitFor("the music's synthesizer", () => evaluate("typeof JSSynth !== 'undefined'"), 30000);
  if (await evaluate("!document.getElementById('card').hidden")) fail("the start card is still shown");
  // The music sounds: FluidSynth's player moves on.
  const position = () => page("Runtime.evaluate", { expression: "Module.cogMusic.position()", awaitPromise: true,
    returnByValue: true }).then((r) => r.result.value);
  const first = await waitFor("the music to play", async () => (await position()) > 0 ? await position() : null, 30000);
  await sleep(500);
  const later = await position();
  if (!(later > first)) fail(`the music does not move on: pulse ${first}, then ${later}`);
  // Fire: the shot's sounds play on OpenAL.
  await page("Input.dispatchKeyEvent", { type: "rawKeyDown", windowsVirtualKeyCode: 32, key: " ", code: "Space" });
  await page("Input.dispatchKeyEvent", { type: "keyUp", windowsVirtualKeyCode: 32, key: " ", code: "Space" });
  const effects = await waitFor("an effect to sound", () => evaluate(
    "AL.currentCtx.audioCtx.state === 'running' && Object.values(AL.currentCtx.sources).filter((s) => s.state === 0x1012).length"),
    10000);
  const music = consoleLines.filter((l) => l.text.startsWith("music:"));
  if (music.length) fail(music.map((l) => l.text).join("\n"));
  await screenshot("keys.png");
  console.log(`the player moved ${moved.toFixed(1)} units forward; the music plays (pulse ${first} -> ${later}); ` +
              `${effects} effect voice(s) sounding after a shot`);
} else if (opt.case === "error") {
  // A key script that is not there: the page says so in its title and its
  // text (the browser's own 404 line is expected here).
  await page("Page.navigate", { url: `${base}/index.html?input=/demos/none.keys&mute=1` });
  const title = await waitFor("ERROR", async () => {
    problems.length = 0;
    const t = await evaluate("document.title");
    return t.startsWith("ERROR") || t.startsWith("DONE") ? t : null;
  }, 60000);
  const text = await evaluate("document.getElementById('message').hidden ? '' : document.getElementById('message').textContent");
  if (!/^ERROR .*none\.keys/.test(title) || !text.includes("none.keys"))
    fail(`expected the missing key script named in the title and the page: "${title}" / "${text}"`);
  problems.length = 0;
  console.log(`the page says: ${title}`);
} else if (opt.case === "nowebgl") {
  // A browser without WebGL 2: the page says so instead of the game.
  await page("Page.navigate", { url: `${base}/index.html` });
  const title = await waitFor("ERROR", async () => {
    const t = await evaluate("document.title");
    return t.startsWith("ERROR") || t.startsWith("DONE") ? t : null;
  }, 30000);
  const text = await evaluate("document.getElementById('message').hidden ? '' : document.getElementById('message').textContent");
  if (!text.includes("no WebGL 2") || !title.includes("WebGL 2")) fail(`"${title}" / "${text}"`);
  await screenshot("nowebgl.png");
  console.log(`the page says: ${text}`);
} else {
  fail("unknown case " + opt.case);
}
if (problems.length) fail(problems.join("\n"));
clearTimeout(watchdog);
cleanup();
console.log("PASS " + opt.case);
process.exit(0);
