// What the browser tests share: the static server with the isolation
// headers (tools/web-serve.py), Debian's Chromium driven by playwright-core,
// the native engine as a child process, and the screenshot folder.
import { spawn } from 'node:child_process';
import { mkdirSync, mkdtempSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { dirname, join, resolve } from 'node:path';
import { fileURLToPath } from 'node:url';
import { chromium } from 'playwright-core';

export const ROOT = resolve(dirname(fileURLToPath(import.meta.url)), '../..');
export const WEB = join(ROOT, 'build-web');
export const NATIVE = join(ROOT, 'build/quill');
export const SHOTS = join(WEB, 'screenshots');

export async function startServer() {
    const server = spawn('python3', [join(ROOT, 'tools/web-serve.py'), WEB, '0'], { stdio: ['ignore', 'pipe', 'inherit'] });
    let text = '';
    const url = await new Promise((ok, fail) => {
        server.stdout.on('data', (chunk) => {
            text += chunk;
            const m = text.match(/http:\/\/\S+/);
            if (m) ok(m[0]);
        });
        server.on('exit', (code) => fail(new Error(`the web server ended (${code})`)));
    });
    // A test process that dies leaves no server behind.
    process.on('exit', () => server.kill());
    return { url, stop: () => server.kill() };
}

export async function startBrowser() {
    const profile = mkdtempSync(join(tmpdir(), 'quill-chromium-'));
    const context = await chromium.launchPersistentContext(profile, {
        executablePath: '/usr/bin/chromium',
        headless: true,
        args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
            '--disable-background-networking', '--disable-component-update', '--disable-sync'],
        viewport: { width: 1100, height: 800 },
    });
    return {
        context,
        close: async () => {
            await context.close();
            rmSync(profile, { recursive: true, force: true });
        },
    };
}

export function screenshotPath(name) {
    mkdirSync(SHOTS, { recursive: true });
    return join(SHOTS, `${name}.png`);
}

// The native engine in a temporary folder (it writes Log.Txt where it runs):
// sends the lines, collects what it answers until a line matches `until`.
export async function nativeSession(lines, until) {
    const dir = mkdtempSync(join(tmpdir(), 'quill-native-'));
    const engine = spawn(NATIVE, [], { cwd: dir, stdio: ['pipe', 'pipe', 'inherit'] });
    const out = [];
    let rest = '';
    try {
        await new Promise((ok, fail) => {
            engine.stdout.on('data', (chunk) => {
                rest += chunk;
                const parts = rest.split('\n');
                rest = parts.pop();
                for (const line of parts) {
                    out.push(line);
                    if (until(line)) ok();
                }
            });
            engine.on('exit', () => fail(new Error('the native engine ended early')));
            engine.stdin.write(lines.map((l) => `${l}\n`).join(''));
        });
    } finally {
        engine.kill();
        rmSync(dir, { recursive: true, force: true });
    }
    return out;
}

// The same conversation with the web worker in a page of the server.
export async function workerSession(page, lines, until) {
    return page.evaluate(async ({ lines, until }) => {
        const worker = new Worker('quill-worker.js');
        const out = [];
        const stop = new RegExp(until);
        await new Promise((ok) => {
            worker.onmessage = (event) => {
                out.push(event.data);
                if (stop.test(event.data)) ok();
            };
            for (const line of lines) worker.postMessage(line);
        });
        worker.terminate();
        return out;
    }, { lines, until: until.source });
}
