// Lints the CI workflows (.github/workflows/*.yml, or the files named on the
// command line) with actionlint's WebAssembly build, and checks that every
// CMake preset a workflow names (`--preset NAME`, `-DPRESET=NAME`, a matrix's
// `preset:`) is defined in CMakePresets.json. One line per finding:
//   path:line:column: message [kind]
// Exits 1 when any finding, 2 when the linter cannot run.
"use strict";
const fs = require("fs");
const path = require("path");

// Go's WebAssembly support draws random numbers from Web Crypto, which
// Node.js 18 keeps out of the global scope.
if (!globalThis.crypto) globalThis.crypto = require("crypto").webcrypto;

// The package's own runner, without its coloured report (which needs a
// newer Node.js than Debian's).
const pkg = path.join(__dirname, "node_modules", "@tktco", "node-actionlint");
const { runLint } = require(path.join(pkg, "build", "run-lint.js"));
const root = path.join(__dirname, "..", "..", "..");

function definedPresets() {
  const presets = require(path.join(root, "CMakePresets.json"));
  const kinds = ["configurePresets", "buildPresets", "testPresets", "packagePresets", "workflowPresets"];
  return new Set(kinds.flatMap((kind) => (presets[kind] || []).map((p) => p.name)));
}

async function main(files) {
  if (files.length === 0) {
    const dir = path.join(root, ".github", "workflows");
    files = fs.readdirSync(dir).filter((f) => /\.ya?ml$/.test(f)).map((f) => path.join(dir, f));
  }
  if (files.length === 0) throw new Error("no workflow files");
  const presets = definedPresets();
  let findings = 0;
  const report = (file, line, column, message, kind) => {
    console.log(`${path.relative(root, file)}:${line}:${column}: ${message} [${kind}]`);
    findings++;
  };
  // Hosted runner labels newer than this actionlint's list of them.
  const hostedLabels = ["windows-11-arm"];
  const known = (r) => r.kind === "runner-label" &&
    hostedLabels.some((label) => r.message.startsWith(`label "${label}" is unknown`));
  for (const file of files) {
    const text = fs.readFileSync(file, "utf8");
    for (const r of (await runLint(text, file)).filter((r) => r.message && !known(r))) {
      report(file, r.line, r.column, r.message, r.kind);
    }
    text.split("\n").forEach((line, i) => {
      const named = [...line.matchAll(/(?:--preset[ =]|-DPRESET=)([A-Za-z0-9_-]+)/g)].map((m) => m[1]);
      // A matrix names its presets in a `preset:` list or value.
      const matrix = line.match(/^\s*preset:\s*\[?([A-Za-z0-9_, -]+)\]?\s*$/);
      if (matrix) named.push(...matrix[1].split(",").map((name) => name.trim()).filter(Boolean));
      for (const name of named) {
        if (!presets.has(name)) report(file, i + 1, 1, `preset ${name} is not in CMakePresets.json`, "preset");
      }
    });
  }
  console.log(`actionlint: ${files.length} workflow file(s), ${findings} finding(s)`);
  return findings === 0 ? 0 : 1;
}

main(process.argv.slice(2)).then((code) => process.exit(code), (err) => {
  console.error(`actionlint could not run: ${err.message}`);
  process.exit(2);
});
