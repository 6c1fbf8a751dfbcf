// The SheetJS baseline of the load benchmark: times itself after its require and prints seconds.
//
//     node sheetjs_baseline.js FILE FOLDER   read the workbook and every value of every sheet, with the
//                                            xlsx package that npm installed under FOLDER
//
// Exits with 77 when the package is not installed there.
"use strict";
const path = require("path");

let XLSX;
try {
  XLSX = require(path.join(process.argv[3], "node_modules", "xlsx"));
} catch (error) {
  process.exit(77);
}

const start = process.hrtime.bigint();
const workbook = XLSX.readFile(process.argv[2]);
let count = 0;
for (const name of workbook.SheetNames) {
  const sheet = workbook.Sheets[name];
  for (const address in sheet) {
    if (address[0] !== "!" && sheet[address].v !== undefined) ++count;
  }
}
const seconds = Number(process.hrtime.bigint() - start) / 1e9;
console.log(seconds.toFixed(6), count);
