// The gallery's script: search as you type and keyboard use on the index
// ("/" searches, arrows move between cards, Enter opens); arrows step between
// symbol pages and Escape goes back to the index.  No framework, no network.
(function () {
  'use strict';

  function typing(event) {
    var t = event.target;
    return t && (t.tagName === 'INPUT' || t.tagName === 'TEXTAREA');
  }

  function symbolPage() {
    document.addEventListener('keydown', function (event) {
      if (typing(event) || event.altKey || event.ctrlKey || event.metaKey) return;
      var rel = { ArrowLeft: 'prev', ArrowRight: 'next' }[event.key];
      var link = rel ? document.querySelector('a[rel="' + rel + '"]') :
        (event.key === 'Escape' ? document.getElementById('back') : null);
      if (link) { event.preventDefault(); link.click(); }
    });
  }

  function indexPage() {
    var search = document.getElementById('search');
    var count = document.getElementById('count');
    var total = Number(count.getAttribute('data-total'));
    var cards = Array.prototype.slice.call(document.querySelectorAll('.card'));
    var sections = Array.prototype.slice.call(document.querySelectorAll('section.library'));
    var names = cards.map(function (c) { return c.getAttribute('data-name').toLowerCase(); });
    var layers = cards.map(function (c) {
      return c.getAttribute('data-layers').toLowerCase().split('\n').filter(Boolean);
    });
    var shown = cards;

    function matches(i, query) {
      if (names[i].indexOf(query) >= 0) return true;
      for (var k = 0; k < layers[i].length; k++) if (layers[i][k].indexOf(query) >= 0) return true;
      return false;
    }

    function filter() {
      var query = search.value.trim().toLowerCase();
      shown = [];
      for (var i = 0; i < cards.length; i++) {
        var hit = query === '' || matches(i, query);
        if (cards[i].hidden === hit) cards[i].hidden = !hit;
        if (hit) shown.push(cards[i]);
      }
      sections.forEach(function (s) { s.hidden = s.querySelector('.card:not([hidden])') === null; });
      count.textContent = query === '' ? total + ' symbols' :
        shown.length + ' of ' + total + ' symbols match';
      try { history.replaceState(null, '', query === '' ? location.pathname : '#q=' + encodeURIComponent(query)); } catch (e) { }
    }

    // Cards per row of the grid, for Up and Down.
    function columns() {
      if (shown.length < 2) return 1;
      var top = shown[0].offsetTop, n = 1;
      while (n < shown.length && shown[n].offsetTop === top) n++;
      return n;
    }

    function focusCard(i) {
      if (shown.length === 0) return;
      i = Math.max(0, Math.min(shown.length - 1, i));
      var link = shown[i].querySelector('a');
      link.focus();
      link.scrollIntoView({ block: 'nearest' });
    }

    function currentCard() {
      var a = document.activeElement;
      return a && a.parentNode ? shown.indexOf(a.parentNode) : -1;
    }

    search.addEventListener('input', filter);
    search.addEventListener('keydown', function (event) {
      if (event.key === 'Enter' && shown.length > 0) {
        event.preventDefault();
        shown[0].querySelector('a').click();
      } else if (event.key === 'ArrowDown') {
        event.preventDefault();
        focusCard(0);
      } else if (event.key === 'Escape') {
        search.value = '';
        filter();
      }
    });
    document.addEventListener('keydown', function (event) {
      if (event.altKey || event.ctrlKey || event.metaKey) return;
      if (event.key === '/' && !typing(event)) {
        event.preventDefault();
        search.focus();
        search.select();
        return;
      }
      if (typing(event)) return;
      var at = currentCard();
      var step = { ArrowRight: 1, ArrowLeft: -1, ArrowDown: columns(), ArrowUp: -columns() }[event.key];
      if (step === undefined) return;
      event.preventDefault();
      if (at < 0) focusCard(0);
      else if (at + step < 0 && step < 0) search.focus();
      else focusCard(at + step);
    });

    var hash = location.hash.match(/^#q=(.*)$/);
    if (hash) {
      try { search.value = decodeURIComponent(hash[1]); } catch (e) { }
    }
    filter();
  }

  if (document.getElementById('search')) indexPage();
  else symbolPage();
})();
