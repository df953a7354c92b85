// Type-checks every ```js and ```ts block of the given Markdown files
// against the typings, so that the documentation and the typings cannot
// drift apart. Each block becomes a file of its own under build/snippets/,
// wrapped in an async function (blocks may `await` at their top) and laid
// out so that its lines keep their numbers in the Markdown file; tsc's
// messages are then reported against the Markdown file itself.
//
//   node types/check-snippets.js README.md [MORE.md ...]
//
// Rules for blocks: a JavaScript block that uses `probe` without declaring
// it gets `const probe = require("zerlin-probe.uxpaddon")`; single-line
// `import` statements of a TypeScript block are lifted out of the wrapper.
// Exits 0 when every block compiles, 1 otherwise.
"use strict";

const fs = require("node:fs");
const path = require("node:path");
const { spawnSync } = require("node:child_process");

const typesDir = __dirname;
const outDir = path.join(typesDir, "build", "snippets");
const fence = /^```(js|javascript|ts|typescript)\s*$/;

/** @returns {{lang: "js" | "ts", start: number, lines: string[]}[]} */
function blocksOf(text) {
  const blocks = [];
  const lines = text.split("\n");
  for (let i = 0; i < lines.length; i++) {
    const open = fence.exec(lines[i]);
    if (!open) continue;
    const start = i + 1;  // index of the block's first line
    let end = start;
    while (end < lines.length && !/^```\s*$/.test(lines[end])) end++;
    blocks.push({ lang: open[1].startsWith("t") ? "ts" : "js", start,
                  lines: lines.slice(start, end) });
    i = end;
  }
  return blocks;
}

/** The block as a file whose line N is line N of the Markdown file. */
function fileFor(block, name) {
  const imports = [];
  const body = block.lines.map((line) => {
    if (block.lang === "ts" && /^import\s.*;\s*$/.test(line)) {
      imports.push(line.trim());
      return "";
    }
    return line;
  });
  const source = body.join("\n");
  let opening = `${imports.join(" ")} async function ${name}() {`;
  if (block.lang === "js" && /\bprobe\b/.test(source) &&
      !/\b(const|let|var)\s+probe\b/.test(source)) {
    opening += ' const probe = require("zerlin-probe.uxpaddon");';
  }
  const padding = "\n".repeat(block.start - 1);
  return `${padding}${opening}\n${source}\n}\nvoid ${name};\n`;
}

function main(files) {
  fs.rmSync(outDir, { recursive: true, force: true });
  fs.mkdirSync(outDir, { recursive: true });
  const sources = new Map();  // generated file name -> Markdown file
  let count = 0;
  for (const file of files) {
    const base = path.basename(file).replace(/\W/g, "_");
    for (const block of blocksOf(fs.readFileSync(file, "utf8"))) {
      const name = `${base}_line${block.start + 1}`;
      const out = `${name}.${block.lang}`;
      fs.writeFileSync(path.join(outDir, out), fileFor(block, name));
      sources.set(out, file);
      count++;
    }
  }
  if (count === 0) {
    console.log(`no js or ts blocks found in ${files.join(", ")}`);
    return 1;
  }
  fs.writeFileSync(path.join(outDir, "tsconfig.json"), JSON.stringify({
    extends: "../../tsconfig.json",
    // Snippets may show a value without using it.
    compilerOptions: { noUnusedLocals: false, noUnusedParameters: false },
    files: ["../../zerlin-probe.d.ts", ...sources.keys()],
  }, null, 2));
  const tsc = spawnSync(path.join(typesDir, "node_modules", ".bin", "tsc"),
                        ["-p", outDir, "--pretty", "false"], { encoding: "utf8" });
  let report = `${tsc.stdout}${tsc.stderr}`;
  for (const [out, file] of sources) {
    report = report.replace(new RegExp(`\\S*build/snippets/${out}\\(`, "g"), `${file}(`);
  }
  process.stdout.write(report);
  console.log(`${count} snippets from ${files.join(", ")}: ` +
              (tsc.status === 0 ? "all compile" : "some do not compile"));
  return tsc.status === 0 ? 0 : 1;
}

process.exitCode = main(process.argv.slice(2).length > 0 ? process.argv.slice(2)
                                                        : ["README.md"]);
