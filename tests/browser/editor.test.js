// The editor's page in Debian's chromium, as a user works with it.
// Usage: node editor.test.js LENSARA_EXECUTABLE EXAMPLES_FOLDER SCREENSHOT_FOLDER
'use strict';

const assert = require('node:assert/strict');
const {spawn} = require('node:child_process');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');

const [lensara, examples, shots] = process.argv.slice(2);
const chromiumPath = '/usr/bin/chromium';
const chromiumFlags = ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
  '--disable-background-networking', '--disable-component-update', '--disable-sync'];

// Starts `lensara serve SCENE --port 0`; resolves with the process and its address.
function serve(scene) {
  return new Promise((resolve, reject) => {
    const server = spawn(lensara, ['serve', scene, '--port', '0'], {stdio: ['ignore', 'pipe', 'inherit']});
    let out = '';
    server.stdout.on('data', (chunk) => {
      out += chunk;
      const address = out.match(/http:\/\/127\.0\.0\.1:\d+\//);
      if (address) resolve({server, address: address[0]});
    });
    server.on('exit', (code) => reject(new Error('lensara serve ended with ' + code + ': ' + out)));
  });
}

async function main() {
  if (!fs.existsSync(chromiumPath)) {
    console.log('SKIPPED: ' + chromiumPath + ' is missing (scripts/setup installs the chromium package)');
    return;
  }
  let chromium;
  try {
    ({chromium} = require('playwright-core'));
  } catch (error) {
    throw new Error('playwright-core is not installed in tests/browser: run scripts/setup (npm ci there)');
  }
  fs.mkdirSync(shots, {recursive: true});
  const folder = fs.mkdtempSync(path.join(os.tmpdir(), 'lensara-browser-'));
  fs.cpSync(examples, folder, {recursive: true});
  const scene = path.join(folder, 'still-life.json');
  const servers = [await serve(scene), await serve(path.join(folder, 'tests', 'animation.json'))];
  const browser = await chromium.launch({executablePath: chromiumPath, args: chromiumFlags, headless: true});
  try {
    const page = await browser.newPage({viewport: {width: 1400, height: 1000}});
    await run(page, servers[0].address, scene);
    await runTime(page, servers[1].address);
  } finally {
    await browser.close();
    for (const {server} of servers) {
      const ended = new Promise((resolve) => server.on('exit', (code) => resolve(code)));
      server.kill('SIGINT');
      assert.equal(await ended, 0, 'Ctrl-C ends the editor with exit code 0');
    }
    fs.rmSync(folder, {recursive: true, force: true});
  }
}

const field = (page, name) => page.locator('#field-' + name);
const row = (page, name) => page.locator(`.row[data-name="${name}"]`);

// Waits until the page has shown the answers to every request it made.
const settled = (page) => page.waitForFunction(() => document.body.dataset.pending === '0');

// Types a value and waits for the host's answer to the edit.
async function setNumber(page, name, value) {
  await field(page, name).fill(String(value));
  await field(page, name).press('Enter');
  await field(page, name).blur();
  await settled(page);
}

async function imageBytes(page, selector) {
  return page.locator(selector).evaluate(async (img) => {
    const response = await fetch(img.src);
    return Array.from(new Uint8Array(await response.arrayBuffer())).join(',');
  });
}

async function run(page, address, scene) {
  // The page works within its content security policy: nothing it does is blocked.
  const blocked = [];
  page.on('console', (message) => /Content Security Policy/.test(message.text()) && blocked.push(message.text()));
  const answer = await page.goto(address);
  assert.equal(answer.headers()['x-frame-options'], 'DENY');
  assert.match(answer.headers()['content-security-policy'], /frame-ancestors 'none'/);
  await field(page, 'DOF_FRONT_START').waitFor();

  // A start past its end: the effect keeps it at the end, the report says so.
  await setNumber(page, 'DOF_FRONT_START', 800);
  await page.waitForFunction(() => document.getElementById('field-DOF_FRONT_START').value === '500');
  assert.match(await page.locator('#report').textContent(), /DOF_FRONT_START 800.* became 500/);
  assert.ok(await page.locator('#unsaved').isVisible());

  // A value out of the field's limits: refused next to the field, the value kept.
  await setNumber(page, 'DOF_RADIUS', 300);
  await row(page, 'DOF_RADIUS').locator('.field-error').waitFor();
  assert.match(await row(page, 'DOF_RADIUS').locator('.field-error').textContent(), /outside/);

  // The camera's depth of field greys out the ranges and the focus distance.
  await field(page, 'DOF_USE_CAMERA_DOF').check();
  await page.waitForSelector('.row.disabled[data-name="DOF_FRONT_START"]');
  for (const name of ['DOF_FRONT_END', 'DOF_REAR_START', 'DOF_FOCUS_DISTANCE'])
    assert.ok(await row(page, name).evaluate((r) => r.classList.contains('disabled')), name);
  assert.ok(await field(page, 'DOF_FRONT_START').isDisabled());
  await page.screenshot({path: path.join(shots, 'editor-camera-dof.png'), fullPage: true});
  await field(page, 'DOF_USE_CAMERA_DOF').uncheck();
  await page.waitForSelector('.row:not(.disabled)[data-name="DOF_FRONT_START"]');

  // The preview button opens the window with a picture; live preview redraws it on a focus change.
  await page.locator('#field-DOF_PREVIEW').click();
  await page.locator('#preview-window').waitFor();
  const first = await imageBytes(page, '#preview-window');
  assert.ok(first.length > 1000);
  await field(page, 'DOF_LIVE_PREVIEW').check();
  await settled(page);
  const shown = await page.locator('#preview-window').getAttribute('src');
  await setNumber(page, 'DOF_FOCUS_DISTANCE', 1500);
  await page.waitForFunction((before) => document.getElementById('preview-window').getAttribute('src') !== before, shown);
  assert.notEqual(await imageBytes(page, '#preview-window'), first);
  // The radius is no depth setting: live preview leaves the window as it is.
  await settled(page);
  const refreshed = await page.locator('#preview-window').getAttribute('src');
  await setNumber(page, 'DOF_RADIUS', 8);
  await settled(page);
  assert.equal(await field(page, 'DOF_RADIUS').inputValue(), '8');
  assert.equal(await page.locator('#preview-window').getAttribute('src'), refreshed);
  await page.screenshot({path: path.join(shots, 'editor-preview.png'), fullPage: true});

  // A click on the preview's picture focuses there.
  const window = await page.locator('#preview-window').boundingBox();
  await page.mouse.click(window.x + window.width * 0.5, window.y + window.height * 0.55);
  await page.waitForFunction(() => /DOF_FOCUS_DISTANCE [0-9.]+: the distance/.test(document.getElementById('report').textContent));
  assert.notEqual(await field(page, 'DOF_FOCUS_DISTANCE').inputValue(), '1500');

  // A small render with progress, its layers, click to focus.
  await setNumber(page, 'width', 320);
  await page.waitForFunction(() => document.getElementById('field-width').value === '320');
  await settled(page);
  await setNumber(page, 'height', 240);
  await page.waitForFunction(() => document.getElementById('field-height').value === '240');
  await page.evaluate(() => {
    window.progressSeen = null;
    const fetchPage = window.fetch;
    window.fetch = async (url, options) => {
      const response = await fetchPage(url, options);
      if (url !== '/api/render/progress') return response;
      const [seen, shown] = response.body.tee();
      new Response(seen).text().then((text) => (window.progressSeen =
        text.split('\n\n').filter(Boolean).map((event) => JSON.parse(event.replace(/^data: /, '')))));
      return new Response(shown, response);
    };
  });
  await page.locator('#render-start').click();
  await page.locator('#result').waitFor({timeout: 60000});
  assert.equal(await page.locator('#progress-text').textContent(), 'Done');
  const seen = await (await page.waitForFunction(() => window.progressSeen)).jsonValue();
  assert.ok(seen.some((p) => p.state === 'rendering' && p.text), 'progress shown: ' + JSON.stringify(seen));
  const layers = await page.locator('#layer option').allTextContents();
  for (const name of ['image', 'Lensara Depth', 'Lensara Depth Front', 'Lensara Depth Rear'])
    assert.ok(layers.includes(name), name + ' in ' + layers);
  await page.locator('#layer').selectOption('Lensara Depth');
  await page.waitForFunction(() => document.getElementById('after').src.includes('Lensara%20Depth'));
  await page.locator('#compare').fill('50');
  await page.screenshot({path: path.join(shots, 'editor-render.png'), fullPage: true});

  const box = await page.locator('#after').boundingBox();
  await page.mouse.click(box.x + box.width * 0.5, box.y + box.height * 0.6);
  await page.waitForFunction((before) => document.getElementById('field-DOF_FOCUS_DISTANCE').value !== before,
    await field(page, 'DOF_FOCUS_DISTANCE').inputValue());
  assert.match(await page.locator('#report').textContent(), /DOF_FOCUS_DISTANCE [0-9.]+: the distance to the surface clicked/);

  // A large render stopped.
  await setNumber(page, 'width', 2000);
  await page.waitForFunction(() => document.getElementById('field-width').value === '2000');
  await page.locator('#render-start').click();
  await page.locator('#render-stop').click();
  await page.waitForFunction(() => document.getElementById('progress-text').textContent === 'Stopped', null, {timeout: 60000});

  // Saved to the scene file, while the answer to the edit before it is held back until after
  // the save's: the page still shows the document as saved. A reload shows it as saved too.
  let edited, release;
  const editServed = new Promise((resolve) => (edited = resolve));
  const held = new Promise((resolve) => (release = resolve));
  await page.route('**/api/edit', async (route) => {
    const response = await route.fetch();
    edited();
    await held;
    await route.fulfill({response});
  });
  await field(page, 'width').fill('160');
  await field(page, 'width').press('Enter');
  await editServed;
  await page.locator('#save').click();
  await page.waitForFunction(() => document.getElementById('unsaved').hidden);
  release();
  await settled(page);
  await page.unroute('**/api/edit');
  assert.ok(await page.locator('#unsaved').isHidden());
  const focus = await field(page, 'DOF_FOCUS_DISTANCE').inputValue();
  assert.match(fs.readFileSync(scene, 'utf8'), /"DOF_LIVE_PREVIEW": true/);
  await page.reload();
  await field(page, 'DOF_FOCUS_DISTANCE').waitFor();
  assert.equal(await field(page, 'DOF_FOCUS_DISTANCE').inputValue(), focus);
  assert.ok(await page.locator('#unsaved').isHidden());

  // Another site's page is refused.
  const forged = await page.request.post(address + 'api/edit',
    {headers: {Origin: 'http://evil.example'}, data: {name: 'DOF_RADIUS', value: 1}});
  assert.equal(forged.status(), 403);
  assert.deepEqual(blocked, []);
  console.log('editor page: all checks passed; screenshots in ' + shots);
}

// The frame slider of a scene whose tracks key frames 0 to 24: the animated focus distance
// shows its value at the frame, marked and not editable.
async function runTime(page, address) {
  await page.goto(address);
  await field(page, 'DOF_FOCUS_DISTANCE').waitFor();
  assert.equal(await page.locator('#frame-slider').getAttribute('max'), '24');
  await page.locator('#frame-slider').fill('12');
  await page.waitForFunction(() => document.getElementById('field-DOF_FOCUS_DISTANCE').value === '900');
  assert.equal(await page.locator('#frame').inputValue(), '12');
  assert.ok(await field(page, 'DOF_FOCUS_DISTANCE').isDisabled());
  assert.equal(await row(page, 'DOF_FOCUS_DISTANCE').locator('.animated-mark').textContent(), 'animated');
  assert.ok(!(await field(page, 'DOF_RADIUS').isDisabled()));
  await page.screenshot({path: path.join(shots, 'editor-time.png'), fullPage: true});
}

main().catch((error) => {
  console.error(error);
  process.exit(1);
});
