// A minimal Playwright crawler doing what page_cost_bench measures: navigate to a local page,
// wait until it has loaded, read its source and save it to a file. Serves the same pages
// (GBK, about 10 KB and 500 KB) from loopback and prints the mean cost per page.
// Usage: npm install && node crawl.js [iterations]
'use strict';
const http = require('http');
const fs = require('fs');
const os = require('os');
const path = require('path');
const { chromium } = require('playwright-core');

const gbk = (hex) => Buffer.from(hex, 'hex');
// The same page as MakePage in page_cost_bench.cpp.
function makePage(size) {
  const parts = [Buffer.from('<html><head><meta charset="gbk"><title>page</title></head><body>\n')];
  let length = parts[0].length;
  for (let i = 0; length < size; ++i) {
    const line = Buffer.concat([
      Buffer.from(`<p><a href="p${i}.htm">`), gbk('b5da'), Buffer.from(String(i)), gbk('d5c2'),
      Buffer.from('</a> '), gbk('d5e2cac7d2bbb6ceb2e2cad4cec4d7d6'),
      Buffer.from(' some text to fill the line.</p>\n')]);
    parts.push(line);
    length += line.length;
  }
  parts.push(Buffer.from('</body></html>\n'));
  return Buffer.concat(parts);
}

const pages = { '/10k.htm': makePage(10 * 1024), '/500k.htm': makePage(500 * 1024) };

async function main() {
  const iterations = Number(process.argv[2] || 50);
  const server = http.createServer((req, res) => {
    const body = pages[req.url.split('?')[0]];
    if (!body) { res.writeHead(404); res.end(); return; }
    res.writeHead(200, { 'Content-Type': 'text/html; charset=gbk', 'Content-Length': body.length,
                         'Connection': 'close' });
    res.end(body);
  });
  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
  const port = server.address().port;
  const folder = fs.mkdtempSync(path.join(os.tmpdir(), 'vw-pw-'));
  const browser = await chromium.launch({
    executablePath: '/usr/lib/chromium/chromium',
    headless: true,
    args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
           '--disable-background-networking', '--disable-component-update', '--disable-sync'],
  });
  try {
    const page = await browser.newPage();
    let n = 0;
    for (const name of Object.keys(pages)) {
      const run = async () => {
        await page.goto(`http://127.0.0.1:${port}${name}?${++n}`, { waitUntil: 'load' });
        const source = await page.content();
        fs.writeFileSync(path.join(folder, 'page.htm'), source);
      };
      for (let i = 0; i < 3; ++i) await run();  // warm-up
      const start = process.hrtime.bigint();
      for (let i = 0; i < iterations; ++i) await run();
      const ms = Number(process.hrtime.bigint() - start) / 1e6 / iterations;
      console.log(`playwright ${name}: ${ms.toFixed(2)} ms per page (${iterations} pages)`);
    }
  } finally {
    await browser.close();
    server.close();
    fs.rmSync(folder, { recursive: true, force: true });
  }
}

main().catch((e) => { console.error(e); process.exit(1); });
