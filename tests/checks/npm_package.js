// The npm package as a contributor packs it: the Windows build's release
// files installed into dist/win-x64/ (`cmake --install`), `npm pack` with the
// pinned npm, `npm publish --dry-run` of the tarball, and then the tarball
// installed into a fresh project, where no install script runs, the library
// arrives unchanged, the companion loads and a script type-checks against
// both typings. The macOS and Windows arm64 libraries are built elsewhere:
// without them, `npm pack` must refuse, and stand-ins then take their place
// while packing.
//   node tests/checks/npm_package.js BUILD_DIR LIBRARY
"use strict";
const fs = require("fs");
const os = require("os");
const path = require("path");
const { execFileSync } = require("child_process");

const root = path.join(__dirname, "..", "..");
const [buildDir, library] = process.argv.slice(2);
const npm = path.join(root, "tests", "checks", "node", "node_modules", "npm", "bin", "npm-cli.js");
const tsc = path.join(root, "types", "node_modules", "typescript", "bin", "tsc");
const work = fs.mkdtempSync(path.join(os.tmpdir(), "zerlin-npm-"));
const run = (cmd, args, cwd) => execFileSync(cmd, args, { cwd, encoding: "utf8", stdio: ["ignore", "pipe", "inherit"] });
const npmIn = (cwd, ...args) => run(process.execPath, [npm, ...args, "--no-audit", "--no-fund", "--loglevel=error"], cwd);

const pkg = JSON.parse(fs.readFileSync(path.join(root, "package.json"), "utf8"));
const standIns = pkg.files.filter((f) => /^dist\/(?!win-x64\/)[^/]+\/zerlin-probe\.uxpaddon$/.test(f))
  .filter((f) => !fs.existsSync(path.join(root, f)));
const problems = [];
try {
  run("cmake", ["--install", buildDir, "--prefix", path.join(root, "dist", "win-x64")]);
  if (standIns.length) {
    let refused = false;
    try {
      execFileSync(process.execPath, [npm, "pack", "--dry-run"], { cwd: root, stdio: "ignore" });
    } catch {
      refused = true;
    }
    if (!refused) problems.push(`npm pack made a package without ${standIns.join(", ")}`);
    for (const f of standIns) {
      fs.mkdirSync(path.dirname(path.join(root, f)), { recursive: true });
      fs.writeFileSync(path.join(root, f), "a stand-in: this library is built on its own platform\n");
    }
  }
  const [info] = JSON.parse(npmIn(root, "pack", "--json", "--pack-destination", work));
  const files = info.files.map((f) => f.path).sort();
  // Exactly what `files` names, plus what npm always packs.
  const expected = new Set([...pkg.files, "package.json", "README.md", "LICENSE", ...(pkg.main ? [pkg.main] : [])]);
  if (info.filename !== `zerlin-probe-${pkg.version}.tgz`) problems.push(`tarball ${info.filename}`);
  for (const f of expected) if (!files.includes(f)) problems.push(`missing ${f}`);
  for (const f of files) if (!expected.has(f)) problems.push(`unexpected ${f}`);
  console.log(`${info.filename}: ${files.join(", ")}`);

  // What the registry would be sent, as npm checks it before sending: the
  // packed tarball itself, not the tree.
  const dry = JSON.parse(npmIn(work, "publish", "--dry-run", "--json", `./${info.filename}`));
  const dryFiles = dry.files.map((f) => f.path).sort();
  if (dry.id !== `zerlin-probe@${pkg.version}` || dryFiles.join() !== files.join()) {
    problems.push(`npm publish --dry-run would send ${dry.id}: ${dryFiles.join(", ")}`);
  }
  console.log(`npm publish --dry-run: ${dry.id}, ${dryFiles.length} files, ${dry.size} bytes packed`);

  const app = path.join(work, "app");
  fs.mkdirSync(app);
  fs.writeFileSync(path.join(app, "package.json"), '{ "name": "probe-user", "private": true }\n');
  npmIn(app, "install", path.join(work, info.filename));
  const installed = path.join(app, "node_modules", "zerlin-probe");
  const manifest = JSON.parse(fs.readFileSync(path.join(installed, "package.json"), "utf8"));
  // The dry run does not look at "private"; the registry refuses such a package.
  if (manifest.private) problems.push("the package is marked private: the registry would refuse it");
  const scripts = manifest.scripts || {};
  for (const s of ["preinstall", "install", "postinstall"]) if (s in scripts) problems.push(`install script ${s}`);
  if (!fs.readFileSync(library).equals(fs.readFileSync(path.join(installed, "dist", "win-x64", "zerlin-probe.uxpaddon")))) {
    problems.push("the installed library differs from the build's");
  }
  // The companion loads without the host, and answers a failure for an
  // object that is no probe.
  run(process.execPath, ["-e",
    'require("zerlin-probe").readPointer({}).then((r) => process.exit(r.code === "invalid" ? 0 : 1))'], app);
  fs.writeFileSync(path.join(app, "use.ts"), `/// <reference types="zerlin-probe" />
import probe = require("zerlin-probe.uxpaddon");
import { readPointer } from "zerlin-probe";

export async function restingOverHost(): Promise<boolean> {
  const answer = await readPointer(probe);
  // @ts-expect-error the answer may be a failure
  void answer.x;
  return typeof answer.active === "boolean" && answer.active;
}
`);
  fs.writeFileSync(path.join(app, "tsconfig.json"), JSON.stringify({
    compilerOptions: { target: "ES2020", module: "commonjs", lib: ["ES2020"], types: [], strict: true, noEmit: true },
    files: ["use.ts"],
  }));
  run(process.execPath, [tsc, "-p", "."], app);
} catch (err) {
  problems.push(err.message);
} finally {
  for (const f of standIns) fs.rmSync(path.dirname(path.join(root, f)), { recursive: true });
  fs.rmSync(work, { recursive: true, force: true });
}
for (const p of problems) console.log(`FAILED: ${p}`);
process.exit(problems.length ? 1 : 0);
