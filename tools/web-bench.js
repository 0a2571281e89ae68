// Opens a page of build-web/em (render-bench.html) in headless Chromium, served on
// 127.0.0.1, and prints what it writes on its console until it ends:
//   node web-bench.js FOLDER PAGE
'use strict';
const http = require('http');
const fs = require('fs');
const path = require('path');
const { chromium } = require('playwright-core');

const [folder, pageName] = process.argv.slice(2);
const limitMs = 300000;
const types = { '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm' };

const server = http.createServer((request, response) => {
  const file = path.join(folder, path.basename(new URL(request.url, 'http://127.0.0.1').pathname));
  if (!fs.existsSync(file)) { response.writeHead(404); return response.end(); }
  response.writeHead(200, { 'Content-Type': types[path.extname(file)] || 'application/octet-stream' });
  fs.createReadStream(file).pipe(response);
});
server.listen(0, '127.0.0.1', async () => {
  const browser = await chromium.launch({ executablePath: process.env.PIGMORA_CHROMIUM || '/usr/bin/chromium' });
  const page = await browser.newPage();
  let done;
  const finished = new Promise(resolve => { done = resolve; });
  page.on('console', message => {
    const text = message.text();
    if (text.startsWith('Canvas2D')) return;
    console.log(text);
    if (/whole frame|cannot start|render-bench: [A-Z]/.test(text)) done();
  });
  await page.goto('http://127.0.0.1:' + server.address().port + '/' + pageName);
  const timer = setTimeout(() => { console.log('web-bench: no end within ' + limitMs / 1000 + ' s'); done(); }, limitMs);
  await finished;
  clearTimeout(timer);
  await browser.close();
  server.close();
});
