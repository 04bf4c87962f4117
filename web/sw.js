'use strict';
// Keeps the page and its engine for use offline: everything is answered from
// the cache first, and the cache is filled when the page is installed. A new
// version of the page comes with a new cache name.
const kCache = 'flyback-designer-@PROJECT_VERSION@';
const kFiles = [
    './', 'index.html', 'page.css', 'page.js', 'page_boxes.js', 'page_plan.js', 'page_choices.js', 'page_tools.js',
    'page_files.js', 'page_compare.js',
    'flyback-engine.js', 'manifest.webmanifest',
    'icons/flyback-designer-32.png', 'icons/flyback-designer-48.png',
    'icons/flyback-designer-64.png', 'icons/flyback-designer-192.png',
    'icons/flyback-designer-512.png', 'icons/flyback-designer.svg',
];

self.addEventListener('install', (event) => {
    event.waitUntil(caches.open(kCache).then((cache) => cache.addAll(kFiles)));
});

self.addEventListener('activate', (event) => {
    event.waitUntil(caches.keys().then((names) => Promise.all(
        names.filter((name) => name !== kCache).map((name) => caches.delete(name)))));
});

self.addEventListener('fetch', (event) => {
    event.respondWith(caches.match(event.request).then((hit) => hit || fetch(event.request)));
});
