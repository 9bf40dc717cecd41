// The compared document made with pdf-lib (npm, installed by bench/compare into bench/.node),
// its layout read from the JSON that pages.py writes, with its own time.
//     node pdflib_doc.mjs LAYOUT.json PICTURE OUT.pdf
// prints {"seconds": page production inside the process, fonts read before the clock starts}.
import { createRequire } from 'node:module';
import { readFileSync, writeFileSync } from 'node:fs';
import { performance } from 'node:perf_hooks';

const require = createRequire(process.env.PDFLIB_MODULES + '/');
const { PDFDocument, PDFName, PDFString, rgb, degrees } = require('pdf-lib');
const fontkit = require('@pdf-lib/fontkit');
const QRCode = require('qrcode');

const [layoutFile, pictureFile, out] = process.argv.slice(2);
const L = JSON.parse(readFileSync(layoutFile, 'utf8'));
const fonts = '/usr/share/fonts/truetype/liberation/';
const sansBytes = readFileSync(fonts + 'LiberationSans-Regular.ttf');
const boldBytes = readFileSync(fonts + 'LiberationSans-Bold.ttf');
const pictureBytes = readFileSync(pictureFile);

const pt = (u) => u / 10;
const yOf = (top) => pt(L.height - top);
const colour = (c) => rgb(((c >> 16) & 255) / 255, ((c >> 8) & 255) / 255, (c & 255) / 255);

// Greedy wrapping by measured width, as the other contenders wrap.
function wrap(text, font, size, width) {
  const lines = [];
  let line = '';
  for (const word of text.split(' ')) {
    const next = line ? line + ' ' + word : word;
    if (line && font.widthOfTextAtSize(next, size) > width) { lines.push(line); line = word; }
    else line = next;
  }
  if (line) lines.push(line);
  return lines;
}

function annotate(doc, page, dict) {
  const ref = doc.context.register(doc.context.obj(dict));
  page.node.addAnnot(ref);
}

const start = performance.now();
const doc = await PDFDocument.create();
doc.registerFontkit(fontkit);
const sans = await doc.embedFont(sansBytes, { subset: true });
const bold = await doc.embedFont(boldBytes, { subset: true });
const picture = await doc.embedPng(pictureBytes);
for (const p of L.pages) {
  const page = doc.addPage([pt(L.width), pt(L.height)]);
  const text = (x, baseline, body, size, font, c) =>
    page.drawText(body, { x: pt(x), y: yOf(baseline), size: size / 10, font, color: colour(c) });
  text(L.margin, 1000, p.title, 200, bold, L.ink);
  p.body.forEach((line, i) => text(L.margin, 1500 + 190 * i, line, 110, sans, L.ink));
  for (const [words, style, c] of L.marks) {
    const i = p.body.findIndex((line) => line.includes(words));
    const line = p.body[i];
    const x = pt(L.margin) + sans.widthOfTextAtSize(line.slice(0, line.indexOf(words)), 11);
    const w = sans.widthOfTextAtSize(words, 11), base = yOf(1500 + 190 * i);
    if (style === 0) page.drawRectangle({ x, y: base - 3, width: w, height: 14, color: colour(c), opacity: 0.4 });
    else page.drawLine({ start: { x, y: base - 1.5 }, end: { x: x + w, y: base - 1.5 }, color: colour(c) });
    const col = [((c >> 16) & 255) / 255, ((c >> 8) & 255) / 255, (c & 255) / 255];
    annotate(doc, page, { Type: 'Annot', Subtype: style === 0 ? 'Highlight' : 'Underline',
      Rect: [x, base - 3, x + w, base + 11], QuadPoints: [x, base + 11, x + w, base + 11, x, base - 3, x + w, base - 3],
      C: col, F: 4 });
  }
  for (const [left, top, width, height, body] of p.notes) {
    page.drawRectangle({ x: pt(left), y: yOf(top + height), width: pt(width), height: pt(height),
      color: colour(L.note_fill), borderColor: colour(L.note_border), borderWidth: 1 });
    wrap(body, sans, 10, pt(width) - 12).forEach((line, i) =>
      page.drawText(line, { x: pt(left) + 6, y: yOf(top) - 16 - 11.5 * i, size: 10, font: sans, color: colour(L.ink) }));
  }
  for (const [left, top, word, date, angle] of p.stamps) {
    const w = pt(1400), h = pt(500), a = (angle * Math.PI) / 180;
    const cx = pt(left) + w / 2, cy = yOf(top) - h / 2;
    // Corners turned about the stamp's centre.
    const at = (dx, dy) => ({ x: cx + dx * Math.cos(a) - dy * Math.sin(a), y: cy + dx * Math.sin(a) + dy * Math.cos(a) });
    const o = at(-w / 2, -h / 2);
    page.drawRectangle({ x: o.x, y: o.y, width: w, height: h, rotate: degrees(angle), borderColor: colour(L.red),
      borderWidth: 2, borderOpacity: 0.5 });
    const t = at(-bold.widthOfTextAtSize(word, 30) / 2, 2);
    page.drawText(word, { x: t.x, y: t.y, size: 30, font: bold, color: colour(L.red), opacity: 0.5, rotate: degrees(angle) });
    const d = at(-sans.widthOfTextAtSize(date, 18) / 2, -h / 2 + 6);
    page.drawText(date, { x: d.x, y: d.y, size: 18, font: sans, color: colour(L.red), opacity: 0.5, rotate: degrees(angle) });
  }
  for (const [left, baseline, label, url] of p.links) {
    text(left, baseline, label, 100, sans, L.blue);
    const x0 = pt(left - 20), y0 = yOf(baseline + 50);
    page.drawRectangle({ x: x0, y: y0, width: pt(2300), height: pt(180), borderColor: colour(L.blue), borderWidth: 1 });
    annotate(doc, page, { Type: 'Annot', Subtype: 'Link', Rect: [x0, y0, x0 + pt(2300), y0 + pt(180)],
      Border: [0, 0, 0], A: { Type: 'Action', S: 'URI', URI: PDFString.of(url) } });
  }
  const [pl, ptop, pw, ph] = L.picture;
  page.drawImage(picture, { x: pt(pl), y: yOf(ptop + ph), width: pt(pw), height: pt(ph) });
  const [ql, qtop, qw] = L.qr;
  const modules = QRCode.create(p.qr, { errorCorrectionLevel: 'M' }).modules;
  const cell = pt(qw) / (modules.size + 8);
  for (let r = 0; r < modules.size; ++r)
    for (let c = 0; c < modules.size; ++c)
      if (modules.get(r, c))
        page.drawRectangle({ x: pt(ql) + (c + 4) * cell, y: yOf(qtop) - (r + 5) * cell, width: cell, height: cell, color: rgb(0, 0, 0) });
  text(L.margin, L.height - 400, p.footer, 90, sans, L.ink);
}
writeFileSync(out, await doc.save());
process.stdout.write(JSON.stringify({ seconds: (performance.now() - start) / 1000 }) + '\n');
void PDFName;
