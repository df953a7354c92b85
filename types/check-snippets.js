// Type-checks every ```js and ```ts block of the given Markdown files
// against the typings (the library's and the companion's), so that the
// documentation and the typings cannot drift apart. Each block is written,
// as it stands, to a file of its own under build/snippets/, with blank
// lines before it so that its lines keep their numbers in the Markdown
// file, and is compiled as a module under the two settings that plug-in
// authors use:
//
//   commonjs  "module": "commonjs", "moduleResolution": "node10"
//   bundler   "module": "esnext", "moduleResolution": "bundler" (ESM for
//             a bundler, which leaves zerlin-probe.uxpaddon external)
//
// both with --strict and checkJs. tsc's messages are reported against the
// Markdown file itself, each under the setting that gave it.
//
//   node types/check-snippets.js README.md [MORE.md ...]
//
// Exits 0 when every block compiles under both settings, 1 otherwise.
"use strict";

const fs = require("node:fs");
const path = require("node:path");
const { spawnSync } = require("node:child_process");

const typesDir = __dirname;
const outDir = path.join(typesDir, "build", "snippets");
const fence = /^```(js|javascript|ts|typescript)\s*$/;

const settings = {
  commonjs: { target: "ES2020", module: "commonjs", moduleResolution: "node10" },
  bundler: { target: "ES2022", module: "esnext", moduleResolution: "bundler" },
};

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

/** Runs tsc over the snippet files under one setting; answers its report. */
function compile(name, files) {
  const config = path.join(outDir, `tsconfig.${name}.json`);
  fs.writeFileSync(config, JSON.stringify({
    compilerOptions: {
      ...settings[name],
      lib: ["ES2022", "DOM"],
      types: [],
      strict: true,
      allowJs: true,
      checkJs: true,
      noEmit: true,
      // Each block is a file of its own, as each of an author's files is.
      moduleDetection: "force",
      paths: { "zerlin-probe": ["../../../lib/index.d.ts"] },
    },
    files: ["../../zerlin-probe.d.ts", ...files],
  }, null, 2));
  const tsc = spawnSync(path.join(typesDir, "node_modules", ".bin", "tsc"),
                        ["-p", config, "--pretty", "false"], { encoding: "utf8" });
  return { ok: tsc.status === 0, report: `${tsc.stdout}${tsc.stderr}` };
}

function main(files) {
  fs.rmSync(outDir, { recursive: true, force: true });
  fs.mkdirSync(outDir, { recursive: true });
  const sources = new Map();  // generated file name -> Markdown file
  for (const file of files) {
    const base = path.basename(file).replace(/\W/g, "_");
    for (const block of blocksOf(fs.readFileSync(file, "utf8"))) {
      const out = `${base}_line${block.start + 1}.${block.lang}`;
      const padding = "\n".repeat(block.start);
      fs.writeFileSync(path.join(outDir, out), `${padding}${block.lines.join("\n")}\n`);
      sources.set(out, file);
    }
  }
  if (sources.size === 0) {
    console.log(`no js or ts blocks found in ${files.join(", ")}`);
    return 1;
  }
  let ok = true;
  for (const name of Object.keys(settings)) {
    const result = compile(name, [...sources.keys()]);
    let report = result.report;
    for (const [out, file] of sources) {
      report = report.replace(new RegExp(`\\S*build/snippets/${out.replace(".", "\\.")}\\(`, "g"),
                              `${file}(`);
    }
    process.stdout.write(report.replace(/^(?=\S)/gm, `[${name}] `));
    ok &&= result.ok;
  }
  console.log(`${sources.size} snippets from ${files.join(", ")}, each compiled as a module ` +
              `under ${Object.keys(settings).join(" and ")}: ` +
              (ok ? "all compile" : "some do not compile"));
  return ok ? 0 : 1;
}

process.exitCode = main(process.argv.slice(2).length > 0 ? process.argv.slice(2)
                                                        : ["README.md"]);
