// The game's page in Debian's Chromium, headless, served from 127.0.0.1:
//   node web-check.js SITE RECORDINGS DESKTOP_MENU.png OUT
// It checks that the title and then the menu show (the menu as the desktop draws it), that
// keys start a Practice game and move its cursor, that a changed setting survives a reload,
// and that every recording opened by ?replay= ends on its stored end lines. It prints the
// figures it met on the way. Exit 77 when Chromium cannot start here.
'use strict';
const http = require('http');
const fs = require('fs');
const path = require('path');
const { chromium } = require('playwright-core');

const [site, recordings, desktopMenu, out] = process.argv.slice(2);
const chromiumPath = process.env.PIGMORA_CHROMIUM || '/usr/bin/chromium';
// Bounds for a hang only: every wait polls for its state.
const startLimitMs = 60000;
const stepLimitMs = 30000;
const replayLimitMs = 300000;
// The desktop draws at 16 bits a pixel, the page at 24: each channel may differ by the
// rounding, and a few pixels (text edges) by more.
const meanTolerance = 8;
const farDifference = 64;
const farShare = 0.01;

const types = { '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm',
  '.png': 'image/png', '.txt': 'text/plain' };
function serve() {
  const server = http.createServer((request, response) => {
    const url = decodeURIComponent(new URL(request.url, 'http://127.0.0.1').pathname);
    const [root, rest] = url.startsWith('/recordings/') ? [recordings, url.slice(12)]
      : url === '/desktop-menu.png' ? [path.dirname(desktopMenu), path.basename(desktopMenu)]
      : [site, url.slice(1) || 'index.html'];
    const file = path.join(root, rest);
    if (!file.startsWith(root) || !fs.existsSync(file) || !fs.statSync(file).isFile()) {
      response.writeHead(404);
      return response.end();
    }
    response.writeHead(200, { 'Content-Type': types[path.extname(file)] || 'application/octet-stream' });
    fs.createReadStream(file).pipe(response);
  });
  return new Promise(resolve => server.listen(0, '127.0.0.1', () => resolve(server)));
}

let failures = 0;
function check(what, good, detail = '') {
  console.log((good ? 'ok: ' : 'FAILED: ') + what + (detail ? ' (' + detail + ')' : ''));
  if (!good) failures++;
  return good;
}

async function until(what, limitMs, probe) {
  const end = Date.now() + limitMs;
  for (;;) {
    const result = await probe();
    if (result) return result;
    if (Date.now() > end) throw new Error('not within ' + limitMs / 1000 + ' s: ' + what);
    await new Promise(resolve => setTimeout(resolve, 100));
  }
}

// How far the page's canvas is from a picture served beside it: the mean difference of a
// channel, and the share of channels that differ by more than farDifference.
function distanceTo(page, picture) {
  return page.evaluate(async ([picture, far]) => {
    const image = new Image();
    image.src = picture;
    await image.decode();
    const scratch = document.createElement('canvas');
    scratch.width = image.width;
    scratch.height = image.height;
    const context = scratch.getContext('2d');
    context.drawImage(image, 0, 0);
    const want = context.getImageData(0, 0, image.width, image.height).data;
    const game = document.getElementById('canvas');
    if (game.width !== image.width || game.height !== image.height) return { mean: 255, far: 1 };
    const have = game.getContext('2d').getImageData(0, 0, game.width, game.height).data;
    let sum = 0, farCount = 0, count = 0;
    for (let i = 0; i < want.length; i += 4)
      for (let c = 0; c < 3; c++, count++) {
        const d = Math.abs(want[i + c] - have[i + c]);
        sum += d;
        if (d > far) farCount++;
      }
    return { mean: sum / count, far: farCount / count };
  }, [picture, farDifference]);
}

const canvasLit = page => page.evaluate(() => {
  const game = document.getElementById('canvas');
  const data = game.getContext('2d').getImageData(0, 0, game.width, game.height).data;
  for (let i = 0; i < data.length; i += 4) if (data[i] | data[i + 1] | data[i + 2]) return true;
  return false;
});

const readFile = (page, name) => page.evaluate(name => {
  try { return new TextDecoder().decode(Module.FS.readFile(name)); } catch (e) { return null; }
}, name);

const newestReplay = page => page.evaluate(() => {
  const names = Module.FS.readdir('/game/replays').filter(n => n.endsWith('.txt')).sort();
  return names.length ? new TextDecoder().decode(Module.FS.readFile('/game/replays/' + names.pop())) : null;
});

async function press(page, ...keys) {
  for (const key of keys) {
    await page.keyboard.down(key);
    // The game looks at its events once a frame; a key is held for a few of them.
    await page.waitForTimeout(60);
    await page.keyboard.up(key);
    await page.waitForTimeout(60);
  }
}

async function atMenu(page) {
  const seen = await distanceTo(page, '/desktop-menu.png');
  return seen.mean < meanTolerance && seen.far < farShare ? seen : null;
}

async function main() {
  let browser;
  try {
    browser = await chromium.launch({ executablePath: chromiumPath,
      args: ['--autoplay-policy=no-user-gesture-required', '--mute-audio'] });
  } catch (error) {
    console.log('skipped: Chromium (' + chromiumPath + ') cannot start here: ' + String(error.message).split('\n')[0]);
    process.exit(77);
  }
  const server = await serve();
  const base = 'http://127.0.0.1:' + server.address().port + '/index.html';
  const context = await browser.newContext({ viewport: { width: 800, height: 720 } });
  const page = await context.newPage();
  let console_ = [];
  page.on('console', message => {
    if (!message.text().startsWith('Canvas2D')) console_.push(message.text());
  });
  page.on('pageerror', error => console_.push('page error: ' + error.message));
  try {
    // -- the title, then the menu, as on the desktop
    const loaded = Date.now();
    await page.goto(base);
    await until('a first frame', startLimitMs, () => canvasLit(page));
    const firstFrame = Date.now() - loaded;
    const title = await distanceTo(page, '/desktop-menu.png');
    check('the page draws before the menu (the warning and the title)', title.mean >= meanTolerance,
      'mean difference to the menu ' + title.mean.toFixed(1));
    const menu = await until('the menu as the desktop draws it', startLimitMs, () => atMenu(page));
    const toMenu = Date.now() - loaded;
    check('the menu shows as on the desktop', true,
      'mean channel difference ' + menu.mean.toFixed(2) + ', far ' + (menu.far * 100).toFixed(2) + '%');
    await page.locator('canvas').screenshot({ path: path.join(out, 'web-menu.png') });
    console.log('figure: first frame ' + firstFrame + ' ms after the page was asked for, menu ' + toMenu + ' ms');

    // -- keys start a Practice game and move its cursor; the game is kept as a replay
    await page.locator('canvas').focus();
    await press(page, 'Enter');
    await until('the Practice game', stepLimitMs, async () => !(await atMenu(page)));
    await page.waitForTimeout(1500);
    await press(page, 'ArrowRight', 'ArrowRight', 'ArrowRight', 'ArrowLeft');
    await page.waitForTimeout(500);
    await press(page, 'Escape');
    const replay = await until('the replay of the Practice game', stepLimitMs, async () => {
      const names = await page.evaluate(() => Module.FS.readdir('/game/replays').filter(n => n.endsWith('.txt')));
      return names.length ? readFile(page, '/game/replays/' + names.sort().pop()) : null;
    });
    const moves = replay.split('\n').filter(line => /^\d+ 0 [LRDGPUHX]+$/.test(line))
      .map(line => line.split(' ')[2]).join('');
    check('keys start Practice and move the cursor', /^mode 0$/m.test(replay) && moves.includes('RRRL'),
      'inputs ' + moves);
    // The results stay until a key; Space, which the menu ignores, until the menu is back.
    await until('the menu after the game', stepLimitMs, async () => (await atMenu(page)) || (await press(page, 'Space')));
    const offered = await page.locator('#newest').getAttribute('download');
    check('the newest replay is offered for download', offered !== null && offered.endsWith('.txt'), offered);

    // -- a setting changed survives a reload: Options, Sound, Sound FX off, Done
    await press(page, 'ArrowDown', 'ArrowDown', 'ArrowDown', 'Enter', 'ArrowDown', 'Enter', 'Enter',
      'ArrowDown', 'ArrowDown', 'ArrowDown', 'ArrowDown', 'Enter');
    const changed = await until('the settings written', stepLimitMs, async () => {
      const text = await readFile(page, '/game/Pigmora.ini');
      return text && /^Effects=0$/m.test(text) ? text : null;
    });
    await until('the settings kept in the browser', stepLimitMs, async () =>
      (await readFile(page, '/settings/Pigmora.ini')) === changed);
    await page.waitForTimeout(500);
    await page.reload();
    await until('the menu after the reload', startLimitMs, () => atMenu(page));
    check('a changed setting survives a reload', (await readFile(page, '/game/Pigmora.ini')) === changed);
    const kept = await page.evaluate(() => Module.FS.readdir('/game/replays').filter(n => n.endsWith('.txt')).length);
    check('the replay survives the reload too', kept >= 1, kept + ' kept');

    // -- ?versus-computer=3 as --versus-computer=3: 2p Versus against the computer, whose
    // moves the kept replay shows as player 1's
    await page.goto(base + '?versus-computer=3');
    await until('the menu with the computer', startLimitMs, () => atMenu(page));
    await page.locator('canvas').focus();
    const before = await newestReplay(page);
    await press(page, 'ArrowDown', 'ArrowDown', 'Enter');
    await until('the Versus game', stepLimitMs, async () => !(await atMenu(page)));
    await page.waitForTimeout(6000);
    await press(page, 'Escape');
    const versus = await until('the replay of the Versus game', stepLimitMs, async () => {
      const newest = await newestReplay(page);
      return newest !== before ? newest : null;
    });
    const computerMoves = versus.split('\n').filter(line => /^\d+ 1 [LRDGPU]+$/.test(line)).length;
    check('?versus-computer=3 lets the computer play 2p Versus', /^mode 1$/m.test(versus) && computerMoves > 0,
      computerMoves + ' moves of the computer in 6 s');

    // -- a replay file dropped on the page plays
    await press(page, 'Space');
    const dropped = fs.readFileSync(path.join(recordings, 'survival-uneven.txt'), 'utf8');
    console_ = [];
    await page.evaluate(text => {
      const data = new DataTransfer();
      data.items.add(new File([text], 'survival-uneven.txt', { type: 'text/plain' }));
      document.body.dispatchEvent(new DragEvent('drop', { dataTransfer: data, bubbles: true }));
    }, dropped);
    await page.waitForURL(/replay=dropped/, { timeout: stepLimitMs });
    await until('the dropped replay under way', startLimitMs, () => canvasLit(page));
    await page.locator('canvas').focus();
    await page.keyboard.down('f');
    const droppedEnd = await until('the end of the dropped replay', replayLimitMs, async () => {
      const lines = console_.map(line => (line.match(/end player \d+: .*/) || [])[0]).filter(Boolean);
      return lines.length ? lines : null;
    });
    await page.keyboard.up('f');
    check('a replay dropped on the page plays to its stored end',
      droppedEnd.join('\n') === dropped.split('\n').filter(line => line.startsWith('end player')).join('\n'));

    // -- each recording plays in WebAssembly to its stored end: checked without drawing
    // (?check-replay), and watched in the canvas (?replay; held F plays four times as fast)
    const endOf = lines => lines.map(line => (line.match(/end player \d+: .*/) || [])[0]).filter(Boolean);
    const exited = lines => lines.find(line => line.startsWith('Pigmora exited'));
    const runs = fs.readdirSync(recordings).filter(n => n.endsWith('.txt')).sort()
      .flatMap(name => [['check-replay', name], ['replay', name]]);
    for (const [how, name] of runs) {
      const stored = fs.readFileSync(path.join(recordings, name), 'utf8').split('\n')
        .filter(line => line.startsWith('end player'));
      console_ = [];
      const started = Date.now();
      await page.goto(base + '?' + how + '=recordings/' + name);
      if (how === 'replay') {
        await until('the replay ' + name + ' under way', startLimitMs, () => canvasLit(page));
        await page.locator('canvas').focus();
        await page.keyboard.down('f');
      }
      const ended = await until('the end of ' + name, replayLimitMs, async () =>
        (how === 'replay' ? endOf(console_).length >= stored.length : false) || exited(console_)
          ? endOf(console_) : null);
      if (how === 'replay') await page.keyboard.up('f');
      const status = how === 'replay' ? 'watched' : exited(console_);
      check('?' + how + '=' + name + ' ends on its stored end lines',
        ended.join('\n') === stored.join('\n') && !/status [1-9]/.test(status),
        (Date.now() - started) + ' ms; ' + status + '; ' + ended.join(' / '));
    }
  } catch (error) {
    check(error.message, false);
    console.log('page said:\n  ' + console_.slice(-20).join('\n  '));
  }
  await browser.close();
  server.close();
  process.exit(failures ? 1 : 0);
}
main();
