// Fails when an installed browser-test package no longer runs on the Node.js that Debian 12
// ships. A machine with a newer Node.js from elsewhere would pass the browser test anyway and
// hide that a fresh Debian machine cannot run it.
'use strict';

const path = require('node:path');

const debianNode = '18.20.4'; // Debian 12's nodejs package

let semver;
try {
  semver = require('semver');
} catch (error) {
  console.error('the browser-test packages are not installed in tests/browser: run scripts/setup (npm ci there)');
  process.exit(1);
}

const lock = require('./package-lock.json');
let failed = false;
for (const folder of Object.keys(lock.packages).filter((key) => key.startsWith('node_modules/'))) {
  const {name, version, engines} = require(path.join(__dirname, folder, 'package.json'));
  const range = (engines && engines.node) || '*';
  if (semver.satisfies(debianNode, range)) {
    console.log(`${name} ${version} accepts Node.js ${debianNode} (engines: ${range})`);
  } else {
    console.error(`${name} ${version} asks for Node.js ${range}, but Debian 12 ships ${debianNode}: ` +
                  'pin a version that accepts it in tests/browser/package.json and its lock file');
    failed = true;
  }
}
process.exit(failed ? 1 : 0);
