// host/web/page_files.mjs - lays out the game's data for the page and writes
// the page's service worker; run by the web build after every link:
//
//   node page_files.mjs --page DIR --data DIR [--sounds DIR] --worker TEMPLATE
//                       [--later NAME]... [--skip FOLDER]... CORE_FILE...
//
// The data folder (the desktop build's) is copied to DIR/data/, file by file,
// so that the page fetches only what it needs: the art of the one resolution
// its canvas uses, the sounds, and the rest later. Sound effects come from
// the --sounds folder as Ogg Vorbis in place of the WAVs the data folder
// holds (the page's host reads them under their WAV names), and so does an
// Ogg file there named as one of the data's (the tune, in fewer bytes). A
// file over
// kPieceBytes travels in pieces (NAME.0, NAME.1, ...) that the page joins.
//
// DIR/files.json tells the page what there is: for every data file its size,
// its pieces (each with a short hash of its bytes, which the page puts in the
// address so that no cache ever answers with another build's bytes), its art
// resolution (1, 2 or 4 as the game picks it, 0 for files of every
// resolution) and whether it is wanted only after the player has started
// (--later: base names, without resolution or extension).
//
// service-worker.js is written from TEMPLATE with the SHA-256 of every core
// file (the page itself, kept whole at install) and of every data piece
// (kept as the page fetches them); its version is a hash of all of them and
// of the template, so any change to the page makes a new version.
import { createHash } from 'node:crypto';
import { copyFileSync, existsSync, mkdirSync, readdirSync, readFileSync, rmSync, statSync, writeFileSync } from 'node:fs';
import { dirname, join, relative } from 'node:path';

const kPieceBytes = 512 * 1024;

function fail(message) {
  console.error(`page_files: ${message}`);
  process.exit(1);
}

function readArguments(argv) {
  const options = { later: [], skip: [], core: [] };
  for (let i = 0; i < argv.length; ++i) {
    const name = argv[i];
    const value = () => {
      if (i + 1 >= argv.length) fail(`${name} needs a value`);
      return argv[++i];
    };
    if (name === '--page') options.page = value();
    else if (name === '--data') options.data = value();
    else if (name === '--sounds') options.sounds = value();
    else if (name === '--worker') options.worker = value();
    else if (name === '--later') options.later.push(value());
    else if (name === '--skip') options.skip.push(value());
    else if (name.startsWith('--')) fail(`unknown option ${name}`);
    else options.core.push(name);
  }
  for (const needed of ['page', 'data', 'worker']) if (!options[needed]) fail(`--${needed} is missing`);
  return options;
}

function filesUnder(folder, skip) {
  const found = [];
  (function walk(dir) {
    for (const entry of readdirSync(dir, { withFileTypes: true }).sort((a, b) => a.name.localeCompare(b.name))) {
      const path = join(dir, entry.name);
      const name = relative(folder, path).split('\\').join('/');
      if (entry.name.startsWith('.')) continue;  // the generator's stamp
      if (entry.isDirectory()) {
        if (!skip.includes(name)) walk(path);
      } else {
        found.push(name);
      }
    }
  })(folder);
  return found;
}

const sha256 = (bytes) => createHash('sha256').update(bytes).digest('hex');

// The game's art resolution of an image file, from its name; 0 for a file
// every resolution reads.
function artResolution(name) {
  if (/-hd2\.png$/.test(name)) return 4;
  if (/-hd\.png$/.test(name)) return 2;
  if (!name.endsWith('.png')) return 0;
  // Base art has siblings with the suffixes; a picture without any is read
  // at every resolution.
  return null;
}

function baseName(name) {
  return name.replace(/(-hd2|-hd)?\.[a-z0-9]+$/, '');
}

function main() {
  const options = readArguments(process.argv.slice(2));
  if (!existsSync(options.data)) fail(`no data folder ${options.data}`);
  const out = join(options.page, 'data');
  rmSync(out, { recursive: true, force: true });

  // Every data file, the sounds' Ogg versions in place of their WAVs.
  const sources = new Map();
  for (const name of filesUnder(options.data, options.skip)) sources.set(name, join(options.data, name));
  if (options.sounds) {
    for (const name of filesUnder(options.sounds, [])) {
      const wav = name.replace(/\.ogg$/, '.wav');
      if (sources.has(wav)) {
        sources.delete(wav);
      } else if (wav === name || !sources.has(name)) {
        fail(`${name} in ${options.sounds} replaces no sound of the data`);
      }
      sources.set(name, join(options.sounds, name));
    }
  }
  const names = [...sources.keys()];
  const listing = { pieceBytes: kPieceBytes, files: {} };
  const dataHashes = [];
  for (const name of names.sort()) {
    const bytes = readFileSync(sources.get(name));
    let art = artResolution(name);
    if (art === null) {
      const stem = name.replace(/\.png$/, '');
      art = names.includes(`${stem}-hd.png`) || names.includes(`${stem}-hd2.png`) ? 1 : 0;
    }
    const pieces = [];
    const count = Math.max(1, Math.ceil(bytes.length / kPieceBytes));
    for (let i = 0; i < count; ++i) {
      const piece = bytes.subarray(i * kPieceBytes, Math.min(bytes.length, (i + 1) * kPieceBytes));
      const file = count === 1 ? `data/${name}` : `data/${name}.${i}`;
      const hash = sha256(piece);
      mkdirSync(dirname(join(options.page, file)), { recursive: true });
      writeFileSync(join(options.page, file), piece);
      pieces.push({ file, bytes: piece.length, hash: hash.slice(0, 16) });
      dataHashes.push([file, hash]);
    }
    const later = options.later.includes(baseName(name));
    listing.files[`data/${name}`] = { bytes: bytes.length, art, later, pieces };
  }
  for (const later of options.later) {
    if (!names.some((name) => baseName(name) === later)) fail(`--later ${later} names no data file`);
  }
  writeFileSync(join(options.page, 'files.json'), JSON.stringify(listing, null, 1) + '\n');

  // The worker, from every file's hash.
  const template = readFileSync(options.worker, 'utf8');
  const core = [...options.core, 'files.json'];
  const coreHashes = core.map((name) => {
    if (!/^[A-Za-z0-9._-]+$/.test(name)) fail(`'${name}' is no plain file name`);
    const path = join(options.page, name);
    if (!existsSync(path) || !statSync(path).isFile()) fail(`the page has no ${name} (in ${options.page})`);
    return [name, sha256(readFileSync(path))];
  });
  const all = [...coreHashes, ...dataHashes];
  const version = sha256(sha256(template) + all.map(([name, hash]) => ` ${name} ${hash}`).join('')).slice(0, 16);
  const list = (hashes) => hashes.map(([name, hash]) => `  "${name}": "${hash}",\n`).join('');
  const worker = template.replaceAll('@PAGE_VERSION@', version)
    .replace('@PAGE_FILE_HASHES@', list(coreHashes))
    .replace('@DATA_FILE_HASHES@', list(dataHashes));
  const target = join(options.page, 'service-worker.js');
  if (!existsSync(target) || readFileSync(target, 'utf8') !== worker) writeFileSync(target, worker);
}

main();
