// Compares what an independent JavaScript reader (the npm package
// mdb-reader) finds in an Access file with the JSON dump of our libmdb-based
// reader (tallomar-mdbdump). Run from a folder where mdb-reader is installed.
//
//   node mdb-compare.mjs describe OUT.json      writes the fixture description
//   node mdb-compare.mjs compare FILE.mdb DUMP.json
import { readFileSync, writeFileSync } from "node:fs";
import MDBReader from "mdb-reader";

const [mode, ...args] = process.argv.slice(2);

function describe(out) {
  const long = (piece, times) => piece.repeat(times);
  const description = {
    tables: [
      {
        name: "ZOL",
        columns: [
          { name: "cName", kind: "text", length: 50 },
          { name: "cRemark", kind: "text", length: 50, deleted: true },
          { name: "cValue", kind: "memo" },
          { name: "cSys", kind: "text", length: 10 },
        ],
        rows: [
          ["ServerName", "旧备注", "(local)", null],
          { values: ["Removed", null, "已删除", null], deleted: true },
          ["UserName", null, "sa", ""],
          ["Readme", null, long("使用说明第一段。", 100), "TDB"],
          ["ProjectDes", null, long("参考说明", 2500), "TDB"],
          ["ToolName", null, "凭证检查工具", null],
          // Last: libmdb lists a moved row at its new place, mdb-reader at its stub.
          { values: ["Soft", null, "R3 标准版", null], overflow: true },
        ],
      },
      {
        name: "File",
        columns: [
          { name: "cSign", kind: "text", length: 10 },
          { name: "cType", kind: "text", length: 10 },
          { name: "cName", kind: "text", length: 100 },
          { name: "cPath", kind: "text" },
          { name: "iOrder", kind: "long" },
          { name: "cResult", kind: "text", length: 100 },
        ],
        rows: [
          ["校验", "sql", "检查凭证", "check1.sql", 1, "tmp_result"],
          ["订正", "sql", "订正凭证", "999", 2, null],
        ],
      },
      {
        name: "Version",
        columns: [
          { name: "cItem", kind: "text", length: 50 },
          { name: "iGrade", kind: "integer" },
          { name: "bsign", kind: "boolean" },
          { name: "ID", kind: "long" },
        ],
        rows: [
          ["R3 标准版", 1, true, 1],
          ["R6 企业版", 2, false, 2],
        ],
      },
      {
        // Full data and overflow pages: a value that grows moves its row.
        name: "Crowded",
        columns: [
          { name: "cName", kind: "text", length: 255 },
          { name: "cValue", kind: "memo" },
          { name: "cSys", kind: "text", length: 10 },
        ],
        rows: [0, 1].flatMap((moved) =>
          Array.from({ length: 7 }, (_, i) => ({
            values: [`${moved ? "M" : "R"}${i}` + long("名", 238), `值${i}`, "TDB"],
            overflow: moved === 1,
          }))),
      },
      {
        name: "Bewrite",
        columns: [
          { name: "ID", kind: "long" },
          { name: "cOperate", kind: "memo" },
          { name: "cResult", kind: "memo" },
          { name: "cPath", kind: "text" },
          { name: "Picture", kind: "ole" },
        ],
        rows: [
          [1, "打开凭证", "", "图1.bmp", Buffer.from("BM\u0000\u0001").toString("base64")],
          [2, null, "提示", null, null],
        ],
      },
    ],
  };
  writeFileSync(out, JSON.stringify(description, null, 1));
}

function normalise(value) {
  if (value === null || value === undefined) return null;
  if (typeof value === "boolean") return value ? -1 : 0;
  if (Buffer.isBuffer(value)) return value.toString("base64");
  if (value instanceof Date) {
    const pad = (n) => String(n).padStart(2, "0");
    return `${value.getUTCFullYear()}-${pad(value.getUTCMonth() + 1)}-${pad(value.getUTCDate())} ` +
      `${pad(value.getUTCHours())}:${pad(value.getUTCMinutes())}:${pad(value.getUTCSeconds())}`;
  }
  if (typeof value === "bigint") return Number(value);
  return value;
}

function compare(file, dumpFile) {
  const ours = JSON.parse(readFileSync(dumpFile, "utf8"));
  const reader = new MDBReader(readFileSync(file));
  const names = reader.getTableNames();
  const problems = [];
  const same = (a, b) => a === b || (typeof a === "number" && typeof b === "number" && Math.abs(a - b) < 1e-6 * Math.max(1, Math.abs(a)));
  if (JSON.stringify([...names].sort()) !== JSON.stringify(Object.keys(ours).sort()))
    problems.push(`table names: mdb-reader ${JSON.stringify(names)}, libmdb ${JSON.stringify(Object.keys(ours))}`);
  for (const name of names) {
    const theirs = reader.getTable(name).getData();
    const mine = ours[name] ?? [];
    if (theirs.length !== mine.length) {
      problems.push(`${name}: mdb-reader ${theirs.length} rows, libmdb ${mine.length}`);
      continue;
    }
    // libmdb lists a moved row where it now lives, mdb-reader where its
    // pointer stays: rows are compared in an order of their own.
    const columns = Object.keys(theirs[0] ?? {});
    const byContent = (rows, value) =>
      rows.map((row) => ({ row, key: JSON.stringify(columns.map((c) => value(row[c]))) }))
        .sort((x, y) => (x.key < y.key ? -1 : x.key > y.key ? 1 : 0)).map((x) => x.row);
    const theirsSorted = byContent(theirs, (v) => { const n = normalise(v); return typeof n === "number" ? String(n) : n; });
    const mineSorted = byContent(mine, (v) => (typeof v === "number" ? String(v) : v ?? null));
    theirsSorted.forEach((row, r) => {
      for (const [column, value] of Object.entries(row)) {
        const b = mineSorted[r][column];
        // mdb-reader gives currency and decimal values as text.
        let a = normalise(value);
        if (typeof a === "string" && typeof b === "number" && a.trim() !== "" && !Number.isNaN(Number(a))) a = Number(a);
        if (!same(a, b))
          problems.push(`${name} row ${r + 1} ${column}: mdb-reader ${JSON.stringify(a)?.slice(0, 80)}, libmdb ${JSON.stringify(b)?.slice(0, 80)}`);
      }
    });
  }
  if (problems.length) {
    console.error(`${file}: the readers disagree:\n  ${problems.join("\n  ")}`);
    process.exit(1);
  }
  console.log(`${file}: mdb-reader and libmdb agree on ${names.length} tables`);
}

if (mode === "describe") describe(args[0]);
else if (mode === "compare") compare(args[0], args[1]);
else {
  console.error("usage: node mdb-compare.mjs describe OUT.json | compare FILE.mdb DUMP.json");
  process.exit(2);
}
