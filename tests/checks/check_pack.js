// Run by `npm pack` (and `npm publish`) before it packs: refuses to make a
// package that lacks any platform's library, which npm would otherwise leave
// out without a word.
"use strict";

const fs = require("node:fs");
const path = require("node:path");

const root = path.join(__dirname, "..", "..");
const libraries = [
  ["dist/win-x64/zerlin-probe.uxpaddon",
   "the Windows x64 library: `cmake --workflow --preset windows`, then " +
   "`cmake --install build/windows` (on Windows: preset `msvc`, then " +
   "`cmake --install build/msvc --config Release`)"],
  ["dist/win-arm64/zerlin-probe.uxpaddon",
   "the Windows arm64 library, on Windows from an arm64 developer prompt: " +
   "`cmake --workflow --preset msvc-arm64`, then `cmake --install build/msvc-arm64`"],
  ["dist/mac-universal/zerlin-probe.uxpaddon",
   "the macOS library (arm64 and x86_64), on a Mac: `cmake --workflow --preset mac`, " +
   "then `cmake --install build/mac`"],
];
const present = (file) => fs.statSync(path.join(root, file), { throwIfNoEntry: false })?.size > 0;
const missing = libraries.filter(([file]) => !present(file));
if (missing.length > 0) {
  console.error("npm pack: the package must hold every platform's library, and these are missing or empty:");
  for (const [file, how] of missing) console.error(`  ${file}: ${how}`);
  console.error("Or take each from its release archive (zerlin-probe-<version>-<platform>.zip). " +
                "CONTRIBUTING.md, \"Building\", gives the order.");
  process.exit(1);
}
